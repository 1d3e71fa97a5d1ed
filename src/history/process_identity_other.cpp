#include "process_identity.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace kestrel {

// Where the start of a process is not told, only whether its pid is in use.
ProcessStamp ThisProcess() {
    return {static_cast<std::int64_t>(getpid()), {}};
}

bool ProcessIsGone(const ProcessStamp& stamp) {
    return stamp.pid > 0 && kill(static_cast<pid_t>(stamp.pid), 0) != 0 && errno == ESRCH;
}

} // namespace kestrel
