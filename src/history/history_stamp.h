#pragma once

#include "history_event.h"

#include <string>
#include <string_view>

namespace kestrel {

// This machine's host name: the bench an event happened on.
std::string BenchName();

// A new operation id, unique among the histories of all benches: 22
// characters of a random UUID in base64url.
std::string NewOperationId();

// Fills in what every event carries about where and when it happened: the
// time now (UTC), the bench, the operator's login name, this process (pid
// and start) and this tool's version.
void StampEvent(HistoryEvent& event);

// The begin of a new operation of this process, stamped, with a new id.
HistoryEvent BeginEvent(std::string_view face, std::string_view action);
// Its end: the begin's camera and operation, stamped anew; the caller fills
// in the result and what changed.
HistoryEvent EndEvent(const HistoryEvent& begin);

} // namespace kestrel
