// kestrel-flash scan: finds the cameras among addresses, networks or ranges.

#include "command_options.h"
#include "scan_job.h"

namespace kestrel::cli {

namespace {

constexpr int kMaxParallel = 1024;

QString ReadPort(const Given& given, JobPlan& plan) {
    const QString name = QStringLiteral("port");
    if (!given.IsSet(name))
        return QString();
    bool ok = false;
    const int value = given.Value(name).toInt(&ok);
    if (!ok || value < 1 || value > 65535 || given.Values(name).size() > 1)
        return QStringLiteral("--port takes one port from 1 to 65535");
    plan.defaultPort = static_cast<quint16>(value);
    return QString();
}

QString ReadParallel(const Given& given, JobPlan& plan) {
    const QString name = QStringLiteral("parallel");
    if (!given.IsSet(name))
        return QString();
    bool ok = false;
    const int value = given.Value(name).toInt(&ok);
    if (!ok || value < 1 || value > kMaxParallel || given.Values(name).size() > 1)
        return QStringLiteral("--parallel takes a number from 1 to %1").arg(kMaxParallel);
    plan.scan.parallel = value;
    return QString();
}

QString ReadTargets(const Given& given, JobPlan& plan) {
    const QStringList operands = given.Operands();
    if (operands.isEmpty())
        return QStringLiteral("scan needs at least one TARGET");
    for (const QString& text : operands) {
        const TargetReading reading = ReadScanTarget(text.toStdString(), plan.defaultPort);
        if (!reading.target)
            return QString::fromStdString(reading.error);
        plan.targets.push_back(*reading.target);
        plan.addresses += reading.target->Count();
        plan.targetTexts.append(text);
    }
    if (plan.addresses > kLargeScanAddresses && !plan.large)
        return QStringLiteral("%1 addresses is more than %2: add --large to search them all")
            .arg(plan.addresses)
            .arg(kLargeScanAddresses);
    return QString();
}

const Argument& TargetsOperand() {
    static const Argument operand{
        .valueName = QStringLiteral("TARGET"), .read = ReadTargets, .step = 3};
    return operand;
}

const Argument& PortOption() {
    static const Argument option{
        .names = {QStringLiteral("port")},
        .valueName = QStringLiteral("N"),
        .description = QStringLiteral("the port of every TARGET without its own (default 5000)"),
        .read = ReadPort,
        .step = 1};
    return option;
}

const Argument& ParallelOption() {
    static const Argument option{
        .names = {QStringLiteral("parallel")},
        .valueName = QStringLiteral("N"),
        .description =
            QStringLiteral("addresses asked at once (default 64, at most 1024);\neach has 1.5 s to "
                           "connect and 2 s for its greeting\nand for each reply"),
        .read = ReadParallel,
        .step = 2};
    return option;
}

const Argument& LargeOption() {
    static const Argument option{.names = {QStringLiteral("large")},
                                 .description =
                                     QStringLiteral("allow a search of more than 1024 addresses"),
                                 .flag = &JobPlan::large};
    return option;
}

const Argument& CameraLinesOption() {
    static const Argument option{
        .names = {QStringLiteral("plain")},
        .description =
            QStringLiteral("one tab-separated line per camera as it answers:\naddress:port, state, "
                           "serial, model, hardware and\nsoftware firmware"),
        .form = OutputForm::Plain};
    return option;
}

const Argument& CameraObjectsOption() {
    static const Argument option{
        .names = {QStringLiteral("json")},
        .description =
            QStringLiteral("one JSON object per line: begin, one \"camera\" per\ncamera as it "
                           "answers, then a summary"),
        .form = OutputForm::Json};
    return option;
}

const Argument& AddressesOption() {
    static const Argument option{
        .names = {QStringLiteral("addresses")},
        .description =
            QStringLiteral("only address:port of each camera, one a line, as in\nkestrel-flash "
                           "update $(kestrel-flash scan --addresses ...)"),
        .form = OutputForm::Addresses};
    return option;
}

QStringList SearchName(const JobPlan& plan) {
    return {plan.targetTexts.join(u' ')};
}

std::unique_ptr<Job> MakeScanJob(int, const JobPlan& plan, JobSink& sink) {
    return std::make_unique<ScanJob>(plan, sink);
}

} // namespace

const Command& ScanCommand() {
    static const Command command{
        .name = QStringLiteral("scan"),
        .synopsis = QStringLiteral("scan TARGET..."),
        .summary = QStringLiteral("find the cameras among addresses, networks or ranges"),
        .usage = QStringLiteral("scan [OPTIONS] TARGET..."),
        .about = QStringLiteral(
            "Finds the cameras among the TARGET addresses by asking their command port.\n"
            "A port counts as a camera once it has sent its greeting and answered the\n"
            "update status question (\"CAM_FIRMWAREUPDATE 1\"). A camera with a\n"
            "programming run in progress is listed as programming and is asked nothing\n"
            "else; any other is asked its serial number, model and firmware versions.\n"
            "Nothing that changes a camera is sent; each connection ends with the\n"
            "goodbye \"CLOSE\" (held back from a camera that is programming).\n\n"
            "TARGET is an IPv4 address (192.168.1.40), a network (192.168.1.0/24: its\n"
            "hosts) or a range of the last number (192.168.1.20-39), each optionally\n"
            "followed by :PORT. More than 1024 addresses in all need --large.\n\n"
            "Once the search ends, the cameras are written as a table sorted by address,\n"
            "unless --plain, --json or --addresses ask otherwise. A camera's state is idle,\n"
            "programming, or lost (its connection ended before it gave its identity).\n"),
        .arguments = {&TargetsOperand(), &PortOption(), &ParallelOption(), &LargeOption(),
                      &CameraLinesOption(), &CameraObjectsOption(), &AddressesOption()},
        .exitStatus =
            QStringLiteral("Exit status: 0 when a camera was found, 1 when none was, 2 for a\n"
                           "usage error.\n"),
        .helpAnywhere = true,
        .jobNames = SearchName,
        .makeJob = MakeScanJob};
    return command;
}

} // namespace kestrel::cli
