#pragma once

#include <cstdlib>

namespace kestrel::fuzz {

// Stops the program at once when an invariant does not hold, so that the
// fuzzer keeps the input and the corpus replay fails.
inline void Require(bool holds) {
    if (holds)
        return;
#if defined(__GNUC__) || defined(__clang__)
    __builtin_trap();
#else
    std::abort();
#endif
}

} // namespace kestrel::fuzz
