#include "process_identity.h"

#include <windows.h>

namespace kestrel {

namespace {

// The process's creation time in 100 ns steps since 1601; empty when no
// process has the pid or it cannot be asked.
std::string StartOf(std::int64_t pid, bool* noSuchProcess) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) {
        *noSuchProcess = GetLastError() == ERROR_INVALID_PARAMETER;
        return {};
    }
    FILETIME created{}, exited{}, kernel{}, user{};
    DWORD code = 0;
    std::string start;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user) &&
        GetExitCodeProcess(process, &code)) {
        *noSuchProcess = code != STILL_ACTIVE;
        start = std::to_string((static_cast<unsigned long long>(created.dwHighDateTime) << 32) |
                               created.dwLowDateTime);
    }
    CloseHandle(process);
    return start;
}

} // namespace

ProcessStamp ThisProcess() {
    bool gone = false;
    const std::int64_t pid = GetCurrentProcessId();
    return {pid, StartOf(pid, &gone)};
}

bool ProcessIsGone(const ProcessStamp& stamp) {
    if (stamp.pid <= 0)
        return false;
    bool gone = false;
    const std::string now = StartOf(stamp.pid, &gone);
    return gone || (!now.empty() && now != stamp.start);
}

} // namespace kestrel
