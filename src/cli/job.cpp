#include "job.h"

namespace kestrel::cli {

QString StateLabel(JobState state) {
    switch (state) {
    case JobState::Connecting:
        return QStringLiteral("connecting");
    case JobState::Reading:
        return QStringLiteral("reading");
    case JobState::Starting:
        return QStringLiteral("starting");
    case JobState::Erasing:
        return QStringLiteral("erasing");
    case JobState::Programming:
        return QStringLiteral("programming");
    case JobState::Reconnecting:
        return QStringLiteral("reconnecting");
    case JobState::WaitingForPowerCycle:
        return QStringLiteral("power-cycle now");
    case JobState::WaitingForCamera:
        return QStringLiteral("waiting for camera");
    case JobState::Copying:
        return QStringLiteral("copying");
    case JobState::Checking:
        return QStringLiteral("checking");
    case JobState::Done:
        return QStringLiteral("done");
    }
    return QString();
}

QString JobResult::Shown() const {
    if (!Ok())
        return QStringLiteral("FAILED: ") + LabelOf(code);
    return eject ? LabelOf(code) + QStringLiteral(", ") + EjectResultName(*eject) : LabelOf(code);
}

} // namespace kestrel::cli
