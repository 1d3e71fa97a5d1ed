#include "json_output.h"

#include "staged_files_json.h"
#include "terminal_text.h"

#include <QJsonArray>

namespace kestrel::cli {

namespace {

QJsonObject CommonResultObject(const QString& job, const JobResult& result) {
    return {{QStringLiteral("job"), job},
            {QStringLiteral("ok"), result.Ok()},
            {QStringLiteral("result"), CodeOf(result.code)},
            {QStringLiteral("detail"), result.detail},
            {QStringLiteral("serial"), result.Serial()},
            {QStringLiteral("before"), JsonOutput::IdentityObject(result.before)},
            {QStringLiteral("after"), JsonOutput::IdentityObject(result.after)},
            {QStringLiteral("elapsedMs"), result.elapsedMs},
            {QStringLiteral("changed"), result.changed},
            {QStringLiteral("record"), result.record}};
}

// A job's result, with the files of a copy when there are any.
QJsonObject ResultObject(const QString& job, const JobResult& result) {
    QJsonObject object = CommonResultObject(job, result);
    if (!result.files.isEmpty())
        object.insert(QStringLiteral("files"), StagedFilesJson(result.files));
    if (result.eject)
        object.insert(QStringLiteral("eject"), EjectResultName(*result.eject));
    return object;
}

} // namespace

JsonOutput::JsonOutput(std::FILE* stream, QString target)
    : m_stream(stream), m_target(std::move(target)) {}

QJsonObject JsonOutput::IdentityObject(const CameraIdentity& identity) {
    return {{QStringLiteral("serial"), identity.serial},
            {QStringLiteral("model"), identity.model},
            {QStringLiteral("sensor"), identity.sensor},
            {QStringLiteral("hardware"), identity.hardware},
            {QStringLiteral("software"), identity.software}};
}

void JsonOutput::Write(QJsonObject object) {
    object.insert(QStringLiteral("schema"), kJsonSchemaVersion);
    const QByteArray line = JsonLine(object);
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), m_stream);
    std::fflush(m_stream);
}

void JsonOutput::Begin(Command command, const QList<JobRecord>& jobs) {
    m_command = command;
    m_jobs = &jobs;
    QJsonArray names;
    for (const JobRecord& job : jobs)
        names.append(job.name);
    QJsonObject begin{{QStringLiteral("event"), QStringLiteral("begin")},
                      {QStringLiteral("command"), CommandName(command)},
                      {QStringLiteral("jobs"), names}};
    if (!m_target.isEmpty())
        begin.insert(QStringLiteral("target"), m_target);
    Write(begin);
}

void JsonOutput::OnEvent(const JobEvent& event, bool) {
    const JobRecord& job = m_jobs->at(event.job);
    QJsonObject object{{QStringLiteral("job"), job.name},
                       {QStringLiteral("elapsedMs"), job.clock.elapsed()}};
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
        object = ResultObject(job.name, job.result);
        object.insert(QStringLiteral("event"), QStringLiteral("result"));
        break;
    case JobEvent::Kind::Plan:
        object.insert(QStringLiteral("event"), QStringLiteral("plan"));
        object.insert(QStringLiteral("action"), CodeOf(event.result.code));
        object.insert(QStringLiteral("reason"), event.result.detail);
        object.insert(QStringLiteral("camera"), IdentityObject(event.identity));
        object.insert(QStringLiteral("runInProgress"), event.runInProgress);
        break;
    }
    Write(object);
}

void JsonOutput::End() {
    QJsonArray jobs;
    int failed = 0;
    for (const JobRecord& job : *m_jobs) {
        jobs.append(ResultObject(job.name, job.result));
        if (!job.result.Ok())
            ++failed;
    }
    Write({{QStringLiteral("event"), QStringLiteral("summary")},
           {QStringLiteral("command"), CommandName(m_command)},
           {QStringLiteral("ok"), failed == 0},
           {QStringLiteral("failed"), failed},
           {QStringLiteral("jobs"), jobs}});
}

} // namespace kestrel::cli
