#pragma once

#include "eject_outcome.h"
#include "stick_copy_result.h"

#include <QObject>

namespace kestrel {

class StickEjector;

// What ejecting the stick after a copy did, for whichever face asked.
struct StickEjectResult {
    EjectOutcome outcome;
    // The log's lines of it: "Ejecting the USB stick ..." and one line for
    // each step done; the outcome's message closes them.
    QString reportLines;
};

// Ejecting the stick a copy went to, for whichever face asks. Each answer
// comes by a signal in this object's thread, which serves its events
// meanwhile; one question at a time.
class StickEject : public QObject {
    Q_OBJECT
public:
    explicit StickEject(QObject* parent = nullptr);
    ~StickEject() override;

    // Whether to offer ejecting the stick: the copy succeeded onto a
    // removable drive. offerChecked tells, also after a failed copy.
    void CheckOffer(const StickCopyResult& copy);

    // Ejects the stick that holds the copy's folder: every file system of its
    // drive unmounted, then the drive powered off or its medium ejected;
    // ended tells. False, and nothing tried nor told, after a failed copy. A
    // failed eject leaves the copy as it is.
    bool Eject(const StickCopyResult& copy);

signals:
    void offerChecked(bool offered);
    void ended(const kestrel::StickEjectResult& result);

private:
    StickEjector* m_ejector; // a child
};

} // namespace kestrel
