#include "status_shape.h"

#include "reply_reading.h"

namespace kestrel {

namespace {

constexpr std::size_t kMaxDigits = 10; // a signed 32-bit number
constexpr int kFieldsWithFigures = 5;

bool IsInteger(std::string_view field) {
    if (!field.empty() && field.front() == '-')
        field.remove_prefix(1);
    if (field.empty() || field.size() > kMaxDigits)
        return false;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace

bool IsStatusReply(std::string_view reply) {
    if (IsIdleStatus(reply))
        return true;
    int fields = 0;
    while (true) {
        const std::size_t space = reply.find(' ');
        if (!IsInteger(reply.substr(0, space)))
            return false;
        ++fields;
        if (space == std::string_view::npos)
            return fields >= kFieldsWithFigures;
        reply.remove_prefix(space + 1);
    }
}

} // namespace kestrel
