#include "flash_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTemporaryDir>

namespace kestrel::test {

// Every program a test starts keeps its usual history in the test's own folder.
const QTemporaryDir theHistory;
const bool theHistorySet = qputenv("KESTREL_FLASH_HISTORY", theHistory.filePath("h").toUtf8());

QStringList FlashRun::OutLines() const {
    return QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool MatchesSchema(const QByteArray& lines) {
    QProcess check;
    check.start(QStringLiteral(KESTREL_SCHEMA_PYTHON),
                {QStringLiteral(KESTREL_JSON_CHECK), QStringLiteral(KESTREL_JSON_SCHEMA),
                 QStringLiteral("--lines")});
    if (!check.waitForStarted(10000))
        return false;
    check.write(lines);
    check.closeWriteChannel();
    const bool ended = check.waitForFinished(60000);
    const QByteArray faults = check.readAllStandardError();
    if (!faults.isEmpty())
        qWarning("%s", faults.constData());
    return ended && check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0;
}

QList<QJsonObject> FlashRun::JsonLines() const {
    if (!MatchesSchema(out))
        return {};
    QList<QJsonObject> objects;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            return {};
        objects.append(document.object());
    }
    return objects;
}

FlashRun RunFlash(const QStringList& arguments, int timeoutMs) {
    static const QTemporaryDir folder; // a history of this test's own, never the user's
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("KESTREL_FLASH_HISTORY", folder.filePath("history.sqlite"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KESTREL_FLASH_PROGRAM), arguments);
    FlashRun run;
    if (!process.waitForStarted(10000))
        return run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString Loopback(quint16 port) {
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

quint16 ClosedPort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

sim::SimOptions FlashCamera(const QByteArray& serial) {
    sim::SimOptions options;
    options.UseFastTiming();
    options.programMs = 2000;
    options.lingerMs = 1000;
    options.serial = serial;
    return options;
}

QJsonObject SummaryJob(const FlashRun& run, int job) {
    const QList<QJsonObject> events = run.JsonLines();
    if (events.isEmpty() || events.last().value("event").toString() != QLatin1String("summary"))
        return {};
    return events.last().value("jobs").toArray().at(job).toObject();
}

} // namespace kestrel::test
