#pragma once

namespace kestrel {

class LogBook;
class SessionEvents;
class OperatorInput;

// What each handler of the tool's logic works with besides its own state:
// the log it writes, the events it reports, and the operator it asks.
struct SessionIo {
    LogBook& log;
    SessionEvents& events;
    OperatorInput& input;
};

} // namespace kestrel
