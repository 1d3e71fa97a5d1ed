#include "eject_checks.h"

#include "eject_rule.h"
#include "require.h"

#include <algorithm>
#include <string>

namespace kestrel::fuzz {

namespace {

// One line: "D" + drive letter + flags byte, or "B" + drive letter + flags
// byte + mount points separated by ';'. The first line is the folder.
void ReadLine(std::string_view line, DriveSnapshot& machine) {
    if (line.size() < 3)
        return;
    const std::string drive = std::string("/d/") + line[1];
    const unsigned flags = static_cast<unsigned char>(line[2]);
    if (line[0] == 'D') {
        machine.drives.push_back({drive, (flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0,
                                  (flags & 8) != 0, (flags & 16) ? "flash_sd" : "thumb"});
        return;
    }
    BlockInfo block{"/b/" + std::to_string(machine.blocks.size()),
                    "/dev/x" + std::to_string(machine.blocks.size()),
                    drive,
                    (flags & 1) != 0,
                    {}};
    for (std::string_view rest = line.substr(3); !rest.empty();) {
        const std::size_t end = std::min(rest.find(';'), rest.size());
        block.mountPoints.emplace_back(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    machine.blocks.push_back(block);
}

} // namespace

void CheckEjectPlan(std::string_view bytes) {
    DriveSnapshot machine;
    const std::size_t firstEnd = std::min(bytes.find('\n'), bytes.size());
    const std::string_view folder = bytes.substr(0, firstEnd);
    for (std::string_view rest = bytes.substr(firstEnd); !rest.empty();) {
        rest.remove_prefix(1);
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        ReadLine(rest.substr(0, end), machine);
        rest.remove_prefix(end);
    }
    const EjectPlan plan = PlanEject(machine, folder);
    if (plan.verdict != EjectPlan::Verdict::Eject) {
        Require(plan.unmounts.empty() && plan.finish == EjectPlan::Finish::None);
        return;
    }
    Require(folder.starts_with(plan.mountPoint));
    int holders = 0;
    for (std::size_t i = 0; i < plan.unmounts.size(); ++i) {
        const UnmountStep& step = plan.unmounts[i];
        holders += step.holdsFolder ? 1 : 0;
        Require(i == 0 || plan.unmounts[i - 1].mountPoint.size() >= step.mountPoint.size());
        Require(std::any_of(machine.blocks.begin(), machine.blocks.end(), [&](const BlockInfo& b) {
            return b.object == step.object && b.drive == plan.driveObject && b.hasFilesystem;
        }));
    }
    Require(holders == 1);
}

} // namespace kestrel::fuzz
