#pragma once

#include <QString>
#include <QStringList>

namespace kestrel {

// How ejecting the USB stick that holds a folder ended.
struct EjectOutcome {
    enum class Result {
        Ejected,       // the stick may be removed now
        Unmounted,     // unmounted, the medium may be removed; the drive stays (a card slot)
        NotOnDrive,    // the folder is on no drive that could be ejected
        NotRemovable,  // the folder is on a fixed disk: never ejected
        Busy,          // a file system of the stick is in use
        NotAuthorized, // the system refused this session
        NoService,     // nothing on this machine ejects drives for us (no UDisks2)
        Failed,        // the system refused for another reason
        Unsupported,   // no ejecting on this system
    };
    Result result = Result::Failed;
    QStringList done; // what was done, one log line each ("unmounted /dev/sdb1 ...")
    QString message;  // for the operator: what happened, ending in what to do

    // The stick or card may be removed now, ejected or only unmounted.
    bool Removable() const { return result == Result::Ejected || result == Result::Unmounted; }
};

// The result's name for scripts and reports: "ejected", "not-removable"...
QString EjectResultName(EjectOutcome::Result result);

} // namespace kestrel
