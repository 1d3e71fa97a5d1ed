#pragma once

#include <string>
#include <string_view>
#include <vector>

// What ejecting the USB stick that holds a folder takes, decided from what
// UDisks2 tells of the machine's drives: which drive holds the folder,
// whether it may be ejected at all, which file systems come off it and how
// it leaves. Plain C++, no Qt and no D-Bus, so that any machine can be
// described to it.
namespace kestrel {

// One block device as UDisks2 shows it.
struct BlockInfo {
    std::string object; // its D-Bus object path
    std::string device; // /dev/sdb1
    std::string drive;  // object path of its drive; "/" or empty: none
    bool hasFilesystem = false;
    std::vector<std::string> mountPoints; // where its file system is mounted
};

// One drive as UDisks2 shows it.
struct DriveInfo {
    std::string object;
    bool removable = false;      // the drive or its medium counts as removable
    bool mediaRemovable = false; // the medium leaves the drive (a card in a reader)
    bool ejectable = false;
    bool canPowerOff = false;
    std::string media; // the medium's kind: "thumb", "flash_sd"...; may be empty
};

struct DriveSnapshot {
    std::vector<BlockInfo> blocks;
    std::vector<DriveInfo> drives;
};

// A file system to unmount before the drive leaves.
struct UnmountStep {
    std::string object; // the block device's object path
    std::string device;
    std::string mountPoint;
    bool holdsFolder = false; // the file system the folder is on
};

struct EjectPlan {
    enum class Verdict {
        Eject,        // unmount, then power off or eject
        NotOnDrive,   // no block device of a drive holds the folder
        NotRemovable, // the folder is on a fixed disk: never ejected
    };
    enum class Finish { PowerOff, Eject, None };

    Verdict verdict = Verdict::NotOnDrive;
    std::string device;                // the block device that holds the folder
    std::string mountPoint;            // where it is mounted
    std::string driveObject;           // its drive
    std::vector<UnmountStep> unmounts; // in the order to run them
    Finish finish = Finish::None;
};

// Decides for the folder (an absolute, clean path: no "." or ".." parts, no
// trailing separator but for "/"). The block device whose mount point is the
// longest one containing the folder holds it. Every mounted file system of
// that drive comes off, deeper mount points first. A memory card in a reader
// is ejected (the reader stays, ready for the next card); any other drive is
// powered off when it can be, else ejected; a drive that can do neither is
// left unmounted.
EjectPlan PlanEject(const DriveSnapshot& snapshot, std::string_view folder);

} // namespace kestrel
