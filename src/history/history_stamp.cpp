#include "history_stamp.h"

#include "process_identity.h"

#include <QDateTime>
#include <QSysInfo>
#include <QUuid>

namespace kestrel {

std::string BenchName() {
    return QSysInfo::machineHostName().toStdString();
}

std::string NewOperationId() {
    return QUuid::createUuid()
        .toRfc4122()
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals)
        .toStdString();
}

void StampEvent(HistoryEvent& event) {
    event.timeMs = QDateTime::currentMSecsSinceEpoch();
    event.bench = BenchName();
    for (const char* name : {"USER", "LOGNAME", "USERNAME"}) {
        if (event.operatorName.empty())
            event.operatorName = qEnvironmentVariable(name).toStdString();
    }
    static const ProcessStamp process = ThisProcess();
    event.pid = process.pid;
    event.processStart = process.start;
    event.toolVersion = KESTREL_TOOL_VERSION;
}

HistoryEvent BeginEvent(std::string_view face, std::string_view action) {
    HistoryEvent event;
    event.face = face;
    event.action = action;
    event.phase = history::kBegin;
    event.operation = NewOperationId();
    StampEvent(event);
    return event;
}

HistoryEvent EndEvent(const HistoryEvent& begin) {
    HistoryEvent event;
    event.face = begin.face;
    event.action = begin.action;
    event.phase = history::kEnd;
    event.operation = begin.operation;
    event.address = begin.address;
    event.serial = begin.serial;
    event.model = begin.model;
    event.hardwareBefore = begin.hardwareBefore;
    event.software = begin.software;
    event.target = begin.target;
    event.recordFile = begin.recordFile;
    event.stickFiles = begin.stickFiles;
    event.signerKey = begin.signerKey;
    StampEvent(event);
    return event;
}

} // namespace kestrel
