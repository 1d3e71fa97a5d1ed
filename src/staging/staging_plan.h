#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace kestrel {

// A SHA-256 that a file must have, and who says so.
struct ExpectedSha256 {
    QString from;      // a checksum file's name ("SHA256SUMS"), or the option that gave it
    QByteArray digest; // raw digest, 32 bytes
};

// One file to put on the stick.
struct StagingItem {
    QString sourcePath; // the file the operator chose
    QString sourceName; // its name, as the report shows it
    QString finalName;  // the fixed name on the stick ("firm.rbf", "vx_server")
    // Given by the operator; the checksum files beside the source are read
    // when the copy starts and must agree as well.
    QList<ExpectedSha256> given{};
};

// What one copy does: every item into one folder, all or nothing.
struct StagingPlan {
    QString folder; // as the operator chose it
    QList<StagingItem> items;
};

// How far a copy is; the byte counts cover the write and the read-back.
struct StagingProgress {
    enum class Phase { Checking, Copying, Verifying }; // checking: against a published SHA-256
    int item = 0;
    Phase phase = Phase::Copying;
    qint64 itemDone = 0; // bytes of this item in this phase
    qint64 itemSize = 0;
    qint64 overallDone = 0; // bytes written and read back, all items
    qint64 overallTotal = 0;
};

// The key that signed the checksum list a file was checked against.
struct FirmwareSigner {
    QString keyNumber; // 16 lower-case hexadecimal digits; empty: not signed
    QString name;      // the key as its file names it ("maker release key")
    bool Signed() const { return !keyNumber.isEmpty(); }
};

// An item written and read back intact under its temporary name.
struct VerifiedFile {
    qint64 size = 0;
    QByteArray sha256;              // raw digest, 32 bytes
    QStringList checksumsMatched{}; // where the SHA-256 it was checked against came from
    FirmwareSigner signer{};
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
