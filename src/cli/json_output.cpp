#include "json_output.h"

#include "copy_report.h"
#include "json_line.h"
#include "terminal.h"

namespace kestrel::cli {

namespace {

QJsonValue SignerJson(const FirmwareSigner& signer) {
    if (!signer.Signed())
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("key"), signer.keyNumber},
                       {QStringLiteral("name"), signer.name}};
}

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
        object.insert(QStringLiteral("files"), JsonOutput::StagedFilesArray(result.files));
    if (result.eject)
        object.insert(QStringLiteral("eject"), EjectResultName(*result.eject));
    return object;
}

// A camera a search found, named by its address rather than by a job.
QJsonObject FoundObject(const ScanFinding& finding, qint64 elapsedMs) {
    return {{QStringLiteral("event"), QStringLiteral("camera")},
            {QStringLiteral("address"), finding.address},
            {QStringLiteral("port"), finding.port},
            {QStringLiteral("state"), ScanFinding::StateName(finding.state)},
            {QStringLiteral("camera"), JsonOutput::IdentityObject(finding.identity)},
            {QStringLiteral("elapsedMs"), elapsedMs}};
}

} // namespace

JsonOutput::JsonOutput(std::FILE* stream) : m_stream(stream) {}

QJsonArray JsonOutput::StagedFilesArray(const QList<StagedFile>& files) {
    QJsonArray array;
    for (const StagedFile& file : files) {
        array.append(QJsonObject{{QStringLiteral("name"), file.name},
                                 {QStringLiteral("storedAs"), file.storedAs},
                                 {QStringLiteral("bytes"), file.verified.size},
                                 {QStringLiteral("sha256"), DigestHex(file.verified.sha256)},
                                 {QStringLiteral("checksums"),
                                  QJsonArray::fromStringList(file.verified.checksumsMatched)},
                                 {QStringLiteral("signedBy"), SignerJson(file.verified.signer)}});
    }
    return array;
}

QJsonObject JsonOutput::IdentityObject(const CameraIdentity& identity) {
    return {{QStringLiteral("serial"), identity.serial},
            {QStringLiteral("model"), identity.model},
            {QStringLiteral("sensor"), identity.sensor},
            {QStringLiteral("hardware"), identity.hardware},
            {QStringLiteral("software"), identity.software}};
}

void JsonOutput::Write(QJsonObject object) {
    object.insert(QStringLiteral("schema"), kJsonSchema);
    const QByteArray line = JsonObjectLine(object);
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), m_stream);
    std::fflush(m_stream);
}

void JsonOutput::Begin(const JobPlan& plan, const QList<JobRecord>& jobs) {
    m_plan = &plan;
    m_jobs = &jobs;
    QJsonObject begin{{QStringLiteral("event"), QStringLiteral("begin")},
                      {QStringLiteral("command"), plan.command->name}};
    if (plan.Searches()) { // the targets as given, not the jobs
        begin.insert(QStringLiteral("targets"), QJsonArray::fromStringList(plan.targetTexts));
        begin.insert(QStringLiteral("addresses"), static_cast<qint64>(plan.addresses));
        return Write(begin);
    }
    QJsonArray names;
    for (const JobRecord& job : jobs)
        names.append(job.name);
    begin.insert(QStringLiteral("jobs"), names);
    if (!plan.targetHwVersion.isEmpty())
        begin.insert(QStringLiteral("target"), plan.targetHwVersion);
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
        if (m_plan->Searches())
            return; // a search ends in its summary alone
        object = ResultObject(job.name, job.result);
        object.insert(QStringLiteral("event"), QStringLiteral("result"));
        break;
    case JobEvent::Kind::Found:
        object = FoundObject(event.finding, job.clock.elapsed());
        break;
    case JobEvent::Kind::Searched:
        return;
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
    if (m_plan->Searches())
        return WriteSearchEnd();
    QJsonArray jobs;
    int failed = 0;
    for (const JobRecord& job : *m_jobs) {
        jobs.append(ResultObject(job.name, job.result));
        if (!job.result.Ok())
            ++failed;
    }
    Write({{QStringLiteral("event"), QStringLiteral("summary")},
           {QStringLiteral("command"), m_plan->command->name},
           {QStringLiteral("ok"), failed == 0},
           {QStringLiteral("failed"), failed},
           {QStringLiteral("jobs"), jobs}});
}

void JsonOutput::WriteSearchEnd() {
    const JobResult& search = m_jobs->first().result;
    Write({{QStringLiteral("event"), QStringLiteral("summary")},
           {QStringLiteral("command"), m_plan->command->name},
           {QStringLiteral("found"), search.found.size()},
           {QStringLiteral("addresses"), static_cast<qint64>(m_plan->addresses)},
           {QStringLiteral("interrupted"), search.code == ResultCode::Interrupted},
           {QStringLiteral("elapsedMs"), search.elapsedMs}});
}

} // namespace kestrel::cli
