#include "version_checks.h"

#include "hw_version_rule.h"
#include "require.h"

namespace kestrel::fuzz {

void CheckHwVersionRule(std::string_view bytes) {
    const std::size_t cut = bytes.find('\n');
    const std::string_view camera = bytes.substr(0, cut);
    const std::string_view target =
        cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);

    const VersionDecision decision = DecideByVersion(camera, target, false);
    Require(decision.program != SameHwVersion(camera, target));
    Require(decision.program || decision.reason == "current");
    Require(DecideByVersion(camera, target, true).program);
    Require(DecideByVersion(camera, std::string_view(), false).reason == "no target");
    Require(SameHwVersion(camera, target) == SameHwVersion(target, camera));

    const std::string normal = NormalizedHwVersion(camera);
    Require(normal.empty() != ReadHwVersion(camera).has_value());
    if (!normal.empty()) {
        Require(normal.size() == camera.size());
        Require(SameHwVersion(normal, camera));
        Require(NormalizedHwVersion(normal) == normal);
    }
}

} // namespace kestrel::fuzz
