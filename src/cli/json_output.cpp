#include "json_output.h"

#include "outcome_texts.h"
#include "terminal_text.h"

#include <QJsonArray>

namespace kestrel::cli {

namespace {

QJsonObject CommonResultObject(const QString& job, const JobResult& result) {
    return {{QStringLiteral("job"), job},
            {QStringLiteral("ok"), result.ok},
            {QStringLiteral("result"), result.code},
            {QStringLiteral("detail"), result.detail},
            {QStringLiteral("serial"), result.Serial()},
            {QStringLiteral("before"), JsonOutput::IdentityObject(result.before)},
            {QStringLiteral("after"), JsonOutput::IdentityObject(result.after)},
            {QStringLiteral("elapsedMs"), result.elapsedMs}};
}

// A job's result, with the files of a copy when there are any.
QJsonObject ResultObject(const QString& job, const JobResult& result) {
    QJsonObject object = CommonResultObject(job, result);
    if (!result.files.isEmpty())
        object.insert(QStringLiteral("files"), StagedFilesJson(result.files));
    if (!result.eject.isEmpty())
        object.insert(QStringLiteral("eject"), result.eject);
    return object;
}

} // namespace

JsonOutput::JsonOutput(std::FILE* stream) : m_stream(stream) {}

QJsonObject JsonOutput::IdentityObject(const CameraIdentity& identity) {
    return {{QStringLiteral("serial"), identity.serial},
            {QStringLiteral("model"), identity.model},
            {QStringLiteral("sensor"), identity.sensor},
            {QStringLiteral("hardware"), identity.hardware},
            {QStringLiteral("software"), identity.software}};
}

void JsonOutput::Write(const QJsonObject& object) {
    const QByteArray line = JsonLine(object);
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), m_stream);
    std::fflush(m_stream);
}

void JsonOutput::Begin(Command command, const QStringList& jobs) {
    m_command = command;
    m_jobs = jobs;
    m_clocks.resize(jobs.size());
    for (QElapsedTimer& clock : m_clocks)
        clock.start();
    Write({{QStringLiteral("event"), QStringLiteral("begin")},
           {QStringLiteral("command"), CommandName(command)},
           {QStringLiteral("jobs"), QJsonArray::fromStringList(jobs)}});
}

void JsonOutput::OnEvent(const JobEvent& event) {
    if (event.job < 0 || event.job >= m_jobs.size())
        return;
    QJsonObject object{{QStringLiteral("job"), m_jobs.at(event.job)},
                       {QStringLiteral("elapsedMs"), m_clocks.at(event.job).elapsed()}};
    switch (event.kind) {
    case JobEvent::Kind::State:
        object.insert(QStringLiteral("event"), QStringLiteral("state"));
        object.insert(QStringLiteral("state"), StateLabel(event.state));
        break;
    case JobEvent::Kind::Figures:
        object.insert(QStringLiteral("event"), QStringLiteral("figures"));
        object.insert(QStringLiteral("state"), StateLabel(event.state));
        object.insert(QStringLiteral("done"), event.done);
        object.insert(QStringLiteral("total"), event.total);
        break;
    case JobEvent::Kind::Percent:
        object.insert(QStringLiteral("event"), QStringLiteral("progress"));
        object.insert(QStringLiteral("percent"), event.percent);
        break;
    case JobEvent::Kind::Connected:
        object.insert(QStringLiteral("event"), QStringLiteral("connected"));
        object.insert(QStringLiteral("camera"), IdentityObject(event.identity));
        object.insert(QStringLiteral("runInProgress"), event.runInProgress);
        object.insert(QStringLiteral("info"), event.text);
        break;
    case JobEvent::Kind::Log:
        object.insert(QStringLiteral("event"), QStringLiteral("log"));
        object.insert(QStringLiteral("text"), event.text);
        break;
    case JobEvent::Kind::Message:
        object.insert(QStringLiteral("event"), QStringLiteral("message"));
        object.insert(QStringLiteral("text"), event.text);
        break;
    case JobEvent::Kind::Finished:
        object = ResultObject(m_jobs.at(event.job), event.result);
        object.insert(QStringLiteral("event"), QStringLiteral("result"));
        break;
    }
    Write(object);
}

void JsonOutput::End(const QList<JobResult>& results) {
    QJsonArray jobs;
    int failed = 0;
    for (qsizetype i = 0; i < results.size() && i < m_jobs.size(); ++i) {
        jobs.append(ResultObject(m_jobs.at(i), results.at(i)));
        if (!results.at(i).ok)
            ++failed;
    }
    Write({{QStringLiteral("event"), QStringLiteral("summary")},
           {QStringLiteral("command"), CommandName(m_command)},
           {QStringLiteral("ok"), failed == 0},
           {QStringLiteral("failed"), failed},
           {QStringLiteral("jobs"), jobs}});
}

} // namespace kestrel::cli
