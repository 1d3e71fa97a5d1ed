#include "version_checks.h"

#include "hw_version_rule.h"
#include "require.h"

namespace kestrel::fuzz {

void CheckHwVersionRule(std::string_view bytes) {
    const std::size_t cut = bytes.find('\n');
    const std::string_view camera = bytes.substr(0, cut);
    const std::string_view target =
        cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);

    // Against a target, what is not a version is left alone as unread.
    const bool unread = ReadHwVersion(target) && !ReadHwVersion(camera);
    const VersionDecision decision = DecideByVersion(camera, target, false);
    Require(decision.Unread() == unread);
    Require(decision.program != (SameHwVersion(camera, target) || unread));
    Require(decision.program || decision.reason == "current" || unread);
    Require(DecideByVersion(camera, target, true).program != unread);
    Require(DecideByVersion(camera, std::string_view(), false).reason == "no target");
    Require(SameHwVersion(camera, target) == SameHwVersion(target, camera));
    const HwVersionChange change = CompareHwVersions(target, camera);
    Require((change == HwVersionChange::Unread) == !ReadHwVersion(camera));
    Require((change == HwVersionChange::Unchanged) == SameHwVersion(camera, target));

    // Quoted: between two quotes, printable ASCII alone, nothing lost.
    const std::string quoted = QuotedHwVersion(camera);
    Require(quoted.size() >= camera.size() + 2 && quoted.front() == '"' && quoted.back() == '"');
    for (const char c : quoted)
        Require(c >= 0x20 && c < 0x7F);

    const std::string normal = NormalizedHwVersion(camera);
    Require(normal.empty() != ReadHwVersion(camera).has_value());
    if (!normal.empty()) {
        Require(normal.size() == camera.size());
        Require(SameHwVersion(normal, camera));
        Require(NormalizedHwVersion(normal) == normal);
    }
}

} // namespace kestrel::fuzz
