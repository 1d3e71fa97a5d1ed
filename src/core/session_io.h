#pragma once

namespace kestrel {

class LogBook;
class SessionEvents;

// What each part of the tool's logic works with besides its own state: the
// log it writes and the events it reports.
struct SessionIo {
    LogBook& log;
    SessionEvents& events;
};

} // namespace kestrel
