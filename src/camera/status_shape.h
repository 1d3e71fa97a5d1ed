#pragma once

#include <string_view>

namespace kestrel {

// True when a reply has the form of an update status reply: "0 0 0 0", or at
// least five decimal integers (each with an optional minus sign) separated by
// single spaces. What a camera answers to the update status probe has it; a
// server that is no camera, answering an unknown line, does not.
bool IsStatusReply(std::string_view reply);

} // namespace kestrel
