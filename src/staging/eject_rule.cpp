#include "eject_rule.h"

#include <algorithm>

namespace kestrel {

namespace {

// The folder is the mount point or lies below it.
bool Contains(std::string_view mountPoint, std::string_view folder) {
    if (mountPoint.empty() || !folder.starts_with(mountPoint))
        return false;
    return folder.size() == mountPoint.size() || mountPoint.back() == '/' ||
           folder[mountPoint.size()] == '/';
}

bool HasDrive(const BlockInfo& block) {
    return !block.drive.empty() && block.drive != "/";
}

// A memory card: a medium of its own kind ("flash_sd", "flash_cf"...) that
// leaves its reader.
bool IsCardInReader(const DriveInfo& drive) {
    return drive.mediaRemovable && drive.media.starts_with("flash_");
}

EjectPlan::Finish FinishFor(const DriveInfo& drive) {
    if (IsCardInReader(drive) && drive.ejectable)
        return EjectPlan::Finish::Eject;
    if (drive.canPowerOff)
        return EjectPlan::Finish::PowerOff;
    if (drive.ejectable)
        return EjectPlan::Finish::Eject;
    return EjectPlan::Finish::None;
}

} // namespace

EjectPlan PlanEject(const DriveSnapshot& snapshot, std::string_view folder) {
    EjectPlan plan;
    const BlockInfo* holder = nullptr;
    std::size_t longest = 0;
    for (const BlockInfo& block : snapshot.blocks) {
        if (!block.hasFilesystem)
            continue;
        for (const std::string& mountPoint : block.mountPoints) {
            if (Contains(mountPoint, folder) && (!holder || mountPoint.size() > longest)) {
                holder = &block;
                longest = mountPoint.size();
                plan.mountPoint = mountPoint;
            }
        }
    }
    if (!holder) {
        plan.mountPoint.clear();
        return plan;
    }
    plan.device = holder->device;
    const auto drive = std::find_if(snapshot.drives.begin(), snapshot.drives.end(),
                                    [&](const DriveInfo& d) { return d.object == holder->drive; });
    if (!HasDrive(*holder) || drive == snapshot.drives.end())
        return plan; // a loop device, a RAID, an encrypted volume: no drive to eject
    plan.driveObject = drive->object;
    if (!drive->removable && !drive->mediaRemovable) {
        plan.verdict = EjectPlan::Verdict::NotRemovable;
        return plan;
    }
    plan.verdict = EjectPlan::Verdict::Eject;
    plan.finish = FinishFor(*drive);
    for (const BlockInfo& block : snapshot.blocks) {
        if (block.drive != drive->object || !block.hasFilesystem || block.mountPoints.empty())
            continue;
        // One call unmounts a file system wherever it is mounted; it is
        // ordered by its deepest mount point.
        const std::string deepest = *std::max_element(
            block.mountPoints.begin(), block.mountPoints.end(),
            [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
        plan.unmounts.push_back({block.object, block.device,
                                 &block == holder ? plan.mountPoint : deepest, &block == holder});
    }
    std::stable_sort(plan.unmounts.begin(), plan.unmounts.end(),
                     [](const UnmountStep& a, const UnmountStep& b) {
                         if (a.mountPoint.size() != b.mountPoint.size())
                             return a.mountPoint.size() > b.mountPoint.size();
                         return a.object < b.object;
                     });
    return plan;
}

} // namespace kestrel
