// The table of result codes (one entry per value, codes fit for scripts), and
// the one rule that decides a camera job's result from what happened.

#include "job_verdict.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <set>
#include <tuple>

using kestrel::CameraWork;
using kestrel::JobFacts;
using kestrel::JobVerdict;
using kestrel::PowerCycleEnd;
using kestrel::ResultCode;
using kestrel::RunOutcome;
using kestrel::StopPoint;
using Reason = kestrel::VerdictReason;

Q_DECLARE_METATYPE(JobFacts)
Q_DECLARE_METATYPE(JobVerdict)

class JobVerdictTest : public QObject {
    Q_OBJECT
private slots:
    void entries_data();
    void entries();
    void codesAndLabelsAreUnique();
    void onlyAFinishedRunIsOk();
    void schemaListsEveryCode();
    void verdicts_data();
    void verdicts();
};

void JobVerdictTest::entries_data() {
    QTest::addColumn<int>("index");
    for (const kestrel::ResultCodeEntry& entry : kestrel::ResultCodes())
        QTest::newRow(entry.code) << static_cast<int>(&entry - kestrel::ResultCodes().data());
}

void JobVerdictTest::entries() {
    QFETCH(int, index);
    const kestrel::ResultCodeEntry& entry = kestrel::ResultCodes().at(index);
    QCOMPARE(static_cast<int>(entry.value), index);
    QVERIFY(QRegularExpression(QStringLiteral("^[a-z]+(-[a-z]+)*$"))
                .match(kestrel::CodeOf(entry.value))
                .hasMatch());
    QVERIFY(!kestrel::LabelOf(entry.value).isEmpty());
    const QString text = kestrel::TextOf(entry.value);
    QVERIFY(text.isEmpty() || (text.front().isUpper() && text.endsWith(QLatin1Char('.'))));
}

void JobVerdictTest::codesAndLabelsAreUnique() {
    QSet<QString> codes;
    QSet<QString> labels;
    for (const kestrel::ResultCodeEntry& entry : kestrel::ResultCodes()) {
        codes.insert(QString::fromLatin1(entry.code));
        labels.insert(QString::fromLatin1(entry.label));
    }
    QCOMPARE(codes.size(), static_cast<qsizetype>(kestrel::ResultCodes().size()));
    QCOMPARE(labels.size(), static_cast<qsizetype>(kestrel::ResultCodes().size()));
}

void JobVerdictTest::onlyAFinishedRunIsOk() {
    using kestrel::RunOutcome;
    std::set<ResultCode> seen;
    for (const RunOutcome outcome :
         {RunOutcome::NotConnected, RunOutcome::Finished, RunOutcome::CameraStopped,
          RunOutcome::NeverStarted, RunOutcome::Stalled, RunOutcome::ConnectionLost,
          RunOutcome::Disconnected, RunOutcome::Superseded, RunOutcome::Ignored,
          RunOutcome::Interrupted}) {
        const ResultCode code = kestrel::ResultOf(outcome);
        QCOMPARE(code == ResultCode::Ok, outcome == RunOutcome::Finished);
        seen.insert(code);
    }
    QCOMPARE(seen.size(), std::size_t{10}); // each outcome its own code
}

// The JSON schema that scripts rely on names exactly the codes of the table.
void JobVerdictTest::schemaListsEveryCode() {
    QFile file(QStringLiteral(KESTREL_SCHEMA_FILE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray listed =
        QJsonDocument::fromJson(file.readAll())
            .object()[QStringLiteral("$defs")][QStringLiteral("resultCode")][QStringLiteral("enum")]
            .toArray();
    QSet<QString> schemaCodes;
    for (const QJsonValue& code : listed)
        schemaCodes.insert(code.toString());
    QSet<QString> tableCodes;
    for (const kestrel::ResultCodeEntry& entry : kestrel::ResultCodes())
        tableCodes.insert(QString::fromLatin1(entry.code));
    QCOMPARE(schemaCodes, tableCodes);
}

namespace {

// A camera that was connected and read, version 1.2A.3F, for the given work.
JobFacts Read(CameraWork work, std::string_view target = {}) {
    JobFacts facts;
    facts.work = work;
    facts.connected = true;
    facts.hardwareBefore = "1.2A.3F";
    facts.target = target;
    return facts;
}

// An update that ran to its end, then waited for the power cycle.
JobFacts Cycled(PowerCycleEnd end, std::string_view after, std::string_view target = {}) {
    JobFacts facts = Read(CameraWork::Update, target);
    facts.runEnd = RunOutcome::Finished;
    facts.powerCycle = end;
    facts.identifiedAfter = !after.empty();
    facts.hardwareAfter = after;
    return facts;
}

template <typename Change> JobFacts With(JobFacts facts, Change change) {
    change(facts);
    return facts;
}

} // namespace

void JobVerdictTest::verdicts_data() {
    QTest::addColumn<JobFacts>("facts");
    QTest::addColumn<JobVerdict>("verdict");
    using enum ResultCode;
    auto row = [](const char* name, const JobFacts& facts, ResultCode code, Reason reason,
                  std::string_view decision = {}) {
        QTest::newRow(name) << facts << JobVerdict{code, reason, decision};
    };
    const JobFacts refused =
        With(Read(CameraWork::Update), [](JobFacts& f) { f.connected = false; });
    const JobFacts running =
        With(Read(CameraWork::Update), [](JobFacts& f) { f.runInProgress = true; });
    row("info", Read(CameraWork::Read), Ok, Reason::None);
    row("not connected", refused, ConnectFailed, Reason::Refusal);
    row("plan: not connected", With(refused, [](JobFacts& f) { f.work = CameraWork::Plan; }),
        Unreachable, Reason::Refusal);
    row("plan: run in progress", With(running, [](JobFacts& f) { f.work = CameraWork::Plan; }),
        Follow, Reason::RunInProgress);
    row("plan: no target", Read(CameraWork::Plan), Program, Reason::VersionDecision, "no target");
    row("plan: older", Read(CameraWork::Plan, "1.2B.05"), Program, Reason::VersionDecision,
        "older");
    row("plan: current", Read(CameraWork::Plan, "1.2a.3f"), Skip, Reason::VersionDecision,
        "current");
    row("plan: unread",
        With(Read(CameraWork::Plan, "1.2.3"), [](JobFacts& f) { f.hardwareBefore = "ERR"; }),
        VersionUnread, Reason::VersionNotRead);
    // Programmed earlier, waiting for its power cycle: the version comes first.
    const auto pending = [](CameraWork work, std::string_view target) {
        return With(Read(work, target), [](JobFacts& f) { f.powerCyclePending = true; });
    };
    row("update: pending", pending(CameraWork::Update, "1.2B.05"), PowerCyclePending,
        Reason::PowerCyclePending);
    row("update: pending, current", pending(CameraWork::Update, "1.2A.3F"), Current,
        Reason::AlreadyCurrent);
    row("plan: pending", pending(CameraWork::Plan, "1.2B.05"), SkipPending,
        Reason::PowerCyclePending);
    row("watch: no run", Read(CameraWork::Watch), NoRun, Reason::CodeText);
    row("update: current", Read(CameraWork::Update, "1.2A.3F"), Current, Reason::AlreadyCurrent);
    row("update: version unread",
        With(Read(CameraWork::Update, "1.2.3"), [](JobFacts& f) { f.hardwareBefore = ""; }),
        VersionUnread, Reason::VersionNotRead);
    row("update: reinstall, run to follow",
        With(Read(CameraWork::Update, "1.2A.3F"), [](JobFacts& f) { f.reinstall = true; }),
        Interrupted, Reason::AwaitingRun);
    row("watch: run to follow",
        With(Read(CameraWork::Watch), [](JobFacts& f) { f.runInProgress = true; }), Interrupted,
        Reason::AwaitingRun);
    row("update: found running, target not asked",
        With(running,
             [](JobFacts& f) {
                 f.target = "1.2A.3F";
                 f.runEnd = RunOutcome::Finished;
             }),
        Ok, Reason::CodeText);
    row("run stalled", With(running, [](JobFacts& f) { f.runEnd = RunOutcome::Stalled; }), Stalled,
        Reason::RunMessage);
    row("lost before anything started",
        With(running, [](JobFacts& f) { f.runEnd = RunOutcome::ConnectionLost; }), ConnectionLost,
        Reason::CodeText);
    row("lost, and said so",
        With(running,
             [](JobFacts& f) {
                 f.runEnd = RunOutcome::ConnectionLost;
                 f.runSaidWhy = true;
             }),
        ConnectionLost, Reason::RunMessage);
    row("not power-cycled", Cycled(PowerCycleEnd::NotPowerCycled, ""), NoPowerCycle,
        Reason::PowerCycle);
    row("not back, target given", Cycled(PowerCycleEnd::NotBack, "", "1.2B.05"), NotBack,
        Reason::PowerCycle);
    row("changed", Cycled(PowerCycleEnd::VersionChanged, "1.2B.05"), Ok, Reason::PowerCycle);
    row("changed to the target", Cycled(PowerCycleEnd::VersionChanged, "1.2B.05", "1.2b.5"), Ok,
        Reason::PowerCycle);
    row("changed to another", Cycled(PowerCycleEnd::VersionChanged, "1.2B.06", "1.2B.05"),
        WrongVersion, Reason::WrongVersion);
    row("unknown before, another", Cycled(PowerCycleEnd::VersionUnknown, "1.0.0", "1.2B.05"),
        WrongVersion, Reason::WrongVersion);
    row("unchanged", Cycled(PowerCycleEnd::VersionUnchanged, "1.2A.3F"), VersionUnchanged,
        Reason::PowerCycle);
    row("reinstalled: unchanged, the target",
        With(Cycled(PowerCycleEnd::VersionUnchanged, "1.2A.3F", "1.2A.3F"),
             [](JobFacts& f) { f.reinstall = true; }),
        Ok, Reason::TargetReached);
    row("unchanged, not the target", Cycled(PowerCycleEnd::VersionUnchanged, "1.2A.3F", "1.2B.05"),
        WrongVersion, Reason::WrongVersion);
    row("unread after, target given", Cycled(PowerCycleEnd::VersionUnread, "", "1.2B.05"),
        VersionUnread, Reason::PowerCycle);
    for (const auto& [name, point, reason] :
         {std::tuple{"stopped before the run", StopPoint::BeforeRun, Reason::StoppedBeforeRun},
          std::tuple{"stopped in the run", StopPoint::DuringRun, Reason::StoppedDuringRun},
          std::tuple{"stopped after the run", StopPoint::AfterRun, Reason::StoppedAfterRun}}) {
        // Whatever else happened: the stop decides.
        row(name,
            With(Cycled(PowerCycleEnd::VersionChanged, "1.2B.05"),
                 [point](JobFacts& f) { f.stopped = point; }),
            Interrupted, reason);
    }
}

void JobVerdictTest::verdicts() {
    QFETCH(JobFacts, facts);
    QFETCH(JobVerdict, verdict);
    const JobVerdict decided = kestrel::DecideJob(facts);
    QCOMPARE(kestrel::CodeOf(decided.code), kestrel::CodeOf(verdict.code));
    QCOMPARE(static_cast<int>(decided.reason), static_cast<int>(verdict.reason));
    QCOMPARE(QByteArray(decided.decision.data(), static_cast<qsizetype>(decided.decision.size())),
             QByteArray(verdict.decision.data(), static_cast<qsizetype>(verdict.decision.size())));
}

QTEST_GUILESS_MAIN(JobVerdictTest)
#include "job_verdict_test.moc"
