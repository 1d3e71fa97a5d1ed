#include "keep_awake.h"

#include <windows.h>

namespace kestrel {

namespace {

// The system keeps a thread's request until the same thread changes it or
// ends; holders nested in one thread (a copy during a run) count here.
thread_local int t_holders = 0;
thread_local bool t_granted = false;

} // namespace

KeepAwake::KeepAwake() {
    if (t_holders++ == 0)
        t_granted = SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
}

KeepAwake::~KeepAwake() {
    if (--t_holders == 0 && t_granted) {
        SetThreadExecutionState(ES_CONTINUOUS);
        t_granted = false;
    }
}

bool KeepAwake::Granted() const {
    return t_granted; // asked from the holder's thread
}

bool KeepAwake::Answered() const {
    return true; // the system answers at once
}

} // namespace kestrel
