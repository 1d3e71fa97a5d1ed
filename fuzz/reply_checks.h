#pragma once

#include <string_view>

namespace kestrel::fuzz {

// Feeds one reply line to every reply reader and checks what they promise:
// the text after the first space, number reading, the name tables, the
// update status reply, the progress position and the phase end test.
void CheckReplyReaders(std::string_view reply);

} // namespace kestrel::fuzz
