#include "job_record.h"

namespace kestrel::cli {

JobRecord::JobRecord(QString jobName) : name(std::move(jobName)) {
    clock.start();
}

bool JobRecord::Apply(const JobEvent& event) {
    switch (event.kind) {
    case JobEvent::Kind::State:
    case JobEvent::Kind::Figures: {
        const bool changed = state != event.state;
        if (changed) {
            done = total = 0;
            percent = 0;
        }
        state = event.state;
        if (event.kind == JobEvent::Kind::Figures) {
            done = event.done;
            total = event.total;
        }
        return changed;
    }
    case JobEvent::Kind::Percent:
        percent = event.percent;
        return false;
    case JobEvent::Kind::Connected:
        identity = event.identity;
        runInProgress = event.runInProgress;
        return false;
    case JobEvent::Kind::Finished:
        finished = true;
        result = event.result;
        state = JobState::Done;
        return true;
    case JobEvent::Kind::Log:
    case JobEvent::Kind::Message:
    case JobEvent::Kind::Plan:
    case JobEvent::Kind::Found:
    case JobEvent::Kind::Searched:
        return false;
    }
    return false;
}

QString JobRecord::Figures() const {
    if (total <= 0)
        return QString();
    if (state == JobState::Erasing)
        return QStringLiteral("sector %1/%2").arg(done).arg(total);
    if (state == JobState::Programming)
        return QStringLiteral("page %1/%2").arg(done).arg(total);
    return QString();
}

QString JobRecord::Serial() const {
    return finished ? result.Serial() : identity.serial;
}

} // namespace kestrel::cli
