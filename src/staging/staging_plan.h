#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace kestrel {

// One file to put on the stick.
struct StagingItem {
    QString sourcePath; // the file the operator chose
    QString sourceName; // its name, as the report shows it
    QString finalName;  // the fixed name on the stick ("firm.rbf", "vx_server")
};

// What one copy does: every item into one folder, all or nothing.
struct StagingPlan {
    QString folder; // as the operator chose it
    QList<StagingItem> items;
};

// How far a copy is; the byte counts cover the write and the read-back.
struct StagingProgress {
    enum class Phase { Copying, Verifying };
    int item = 0;
    Phase phase = Phase::Copying;
    qint64 itemDone = 0; // bytes of this item in this phase
    qint64 itemSize = 0;
    qint64 overallDone = 0; // bytes written and read back, all items
    qint64 overallTotal = 0;
};

// An item written and read back intact under its temporary name.
struct VerifiedFile {
    qint64 size = 0;
    QByteArray sha256; // raw digest, 32 bytes
};

// The result of a copy.
struct StagingOutcome {
    bool succeeded = false;
    QList<VerifiedFile> verified; // the first items, in order, that were verified
    int failedItem = -1;          // the item that failed; -1 when the failure is the folder's
    QString reason;               // why it failed, with the system's explanation
    bool stickChanged = false;    // a failure came after a final name was already replaced
};

} // namespace kestrel
