// Fuzz target: arbitrary bytes from the camera, read as a reply line by every
// reply reader, as the replies of a run by the run tracker, and as a received
// stream by the line assembler, whose lines are then read as replies in their
// turn; the same bytes are also read as a list of checksums beside a firmware
// file, as a signify key and signature, as a site's policy and list of
// revoked keys, as a camera's hardware firmware version and a target, as a
// target of a search for cameras, as a machine's drives for the eject plan,
// and as stick files, dates and events of the production history. A broken
// invariant traps.

#include "assembler_checks.h"
#include "checksum_checks.h"
#include "eject_checks.h"
#include "history_checks.h"
#include "reply_checks.h"
#include "run_checks.h"
#include "scan_checks.h"
#include "signify_checks.h"
#include "version_checks.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kestrel::fuzz::CheckReplyReaders(bytes);
    kestrel::fuzz::CheckRunTracker(bytes);
    kestrel::fuzz::CheckPowerCycleRule(bytes);
    kestrel::fuzz::CheckChecksumList(bytes);
    kestrel::fuzz::CheckSignifyFiles(bytes);
    kestrel::fuzz::CheckSiteRules(bytes);
    kestrel::fuzz::CheckHwVersionRule(bytes);
    kestrel::fuzz::CheckScanRules(bytes);
    kestrel::fuzz::CheckEjectPlan(bytes);
    kestrel::fuzz::CheckHistoryRules(bytes);
    // Where the stream is cut in two comes from its first bytes.
    const std::size_t cut = size >= 2 ? static_cast<std::size_t>(data[0] | data[1] << 8) : 0;
    for (const std::string& line : kestrel::fuzz::CheckLineAssembler(bytes, cut))
        kestrel::fuzz::CheckReplyReaders(line);
    return 0;
}
