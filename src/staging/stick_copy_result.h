#pragma once

#include "staging_plan.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kestrel {

// A file that the copy onto the stick wrote and verified.
struct StagedFile {
    QString name;     // as the operator chose it
    QString storedAs; // its fixed name on the stick
    VerifiedFile verified;
};

// What a copy onto the stick did, for whichever face started it and for what
// follows a copy (the folder tells which stick it was).
struct StickCopyResult {
    bool succeeded = false;
    QString folder;          // the destination folder, as the request named it
    QList<StagedFile> files; // the files verified, in order (hardware first)
    // The log's lines after its "Copying new files to ..." line: what was
    // copied and verified, what failed and why, and the closing lines.
    QString reportLines;
    QString failure; // the message after a failed copy; empty after success
    // The stick holds what the copy wrote: it succeeded, or a file of the
    // stick was already replaced when it failed.
    bool stickChanged = false;

    // The key numbers that signed the files, each once, joined by ','; empty
    // when none was signed.
    QString SignerKeys() const {
        QStringList keys;
        for (const StagedFile& file : files) {
            if (file.verified.signer.Signed() && !keys.contains(file.verified.signer.keyNumber))
                keys << file.verified.signer.keyNumber;
        }
        return keys.join(QLatin1Char(','));
    }
};

} // namespace kestrel
