#pragma once

#include "operation_fold.h"

#include <cstdint>
#include <string>

// Telling whether the process that began an operation is still at work: its
// pid alone may have been given to another process since, so each event also
// keeps when that process started.
namespace kestrel {

struct ProcessStamp {
    std::int64_t pid = 0;
    std::string start; // empty where the platform does not tell
};

ProcessStamp ThisProcess();

// True only when it is sure: no process has that pid, or the one that has it
// started at another time (or in another boot).
bool ProcessIsGone(const ProcessStamp& stamp);

// For folding: the begin's process is gone; a begin of another bench is
// never taken for gone, as its processes cannot be seen from here.
ProcessGone LocalProcessGone();

} // namespace kestrel
