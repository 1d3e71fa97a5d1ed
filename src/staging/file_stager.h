#pragma once

#include "staging_plan.h"

#include <functional>

namespace kestrel {

// Told how far the copy is after every chunk. Calls come from two threads
// (the writing and the read-back), never at the same time.
using StagingProgressSink = std::function<void(const StagingProgress&)>;

// Puts every item of the plan into its folder, all or nothing, and blocks
// until done; run it off the user-interface thread.
//
// Before anything on the stick changes, each source whose SHA-256 is given,
// or published in a checksum file beside it, is read and checked against it;
// the copy must then read the same bytes.
// Each item is written under a temporary name in the folder, forced onto the
// medium and read back against the SHA-256 taken while reading the source;
// the read-back of one item runs on a second thread beside the writing of the
// next.
// Only when every item is verified are they renamed over their final names,
// in order, and the folder is synced. On failure the temporary files are
// removed and the final names keep what they held. Temporary files that an
// interrupted copy left behind are removed first.
StagingOutcome StageFiles(const StagingPlan& plan, const StagingProgressSink& progress);

// The checks of StageFiles before anything on the stick changes, and
// nothing else: each source is read, its SHA-256 taken and checked against
// the checksums given and published and their signature; the progress counts
// the bytes read of all items. On success,
// `verified` holds each item's size, SHA-256, matched checksums and signer;
// the folder is not looked at.
StagingOutcome CheckStagingSources(const StagingPlan& plan, const StagingProgressSink& progress);

} // namespace kestrel
