#include "pending_check.h"

#include "history_read.h"
#include "history_stamp.h"
#include "pending_rule.h"

#include <QDateTime>
#include <QtConcurrent/QtConcurrentRun>

namespace kestrel::cli {

namespace {

PendingCheck::Answer Check(const QString& file, const std::string& serial,
                           const std::string& hardware, const std::string& target) {
    OperationFilter filter;
    filter.serial = serial;
    const HistoryReading reading = ReadHistory(file, filter);
    PendingCheck::Answer answer;
    if (!reading.failure.isEmpty()) {
        answer.failure = reading.failure;
        return answer;
    }
    const std::optional<PendingRun> run =
        PowerCyclePending(serial, hardware, target, reading.operations);
    if (run) {
        // The clock as it was where and when the run ended.
        const int offset = QDateTime::fromMSecsSinceEpoch(run->endedMs).offsetFromUtc();
        answer.pending = QString::fromStdString(
            PendingText(*run, BenchName(), QDateTime::currentMSecsSinceEpoch(), offset));
    }
    return answer;
}

} // namespace

PendingCheck::PendingCheck(QObject* parent) : QObject(parent) {
    connect(&m_watcher, &QFutureWatcher<Answer>::finished, this, [this] {
        Answer answer = m_watcher.result();
        static bool told = false; // the program's one event loop: no other thread reads it
        if (!answer.failure.isEmpty()) {
            if (told)
                answer.failure.clear();
            told = true;
        }
        emit answered(answer);
    });
}

void PendingCheck::Ask(const QString& historyFile, const QString& serial, const QString& hardware,
                       const QString& target) {
    m_watcher.setFuture(QtConcurrent::run(Check, historyFile, serial.toStdString(),
                                          hardware.toStdString(), target.toStdString()));
}

} // namespace kestrel::cli
