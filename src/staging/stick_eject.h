#pragma once

#include "eject_outcome.h"
#include "stick_copy_result.h"

#include <optional>

namespace kestrel {

// What ejecting the stick after a copy did, for whichever face asked.
struct StickEjectResult {
    EjectOutcome outcome;
    // The log's lines of it: "Ejecting the USB stick ..." and one line for
    // each step done; the outcome's message closes them.
    QString reportLines;
};

// Whether to offer ejecting the stick a copy went to: the copy succeeded
// onto a removable drive.
bool StickEjectable(const StickCopyResult& copy);

// Ejects the stick that holds the copy's folder: every file system of its
// drive unmounted, then the drive powered off or its medium ejected. Nothing
// is tried after a failed copy, and a failed eject leaves the copy as it is.
// The calls are waited for while this thread serves events.
std::optional<StickEjectResult> EjectStickAfterCopy(const StickCopyResult& copy);

} // namespace kestrel
