#include "keep_awake.h"

namespace kestrel {

// Systems other than Linux and Windows are not asked to stay awake: the work
// goes on as it would without the lock.
KeepAwake::KeepAwake() = default;
KeepAwake::~KeepAwake() = default;

bool KeepAwake::Granted() const {
    return false;
}

bool KeepAwake::Answered() const {
    return true;
}

} // namespace kestrel
