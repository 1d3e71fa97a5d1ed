#include "command_options.h"

#include "camera_job.h"
#include "checksum_list.h"
#include "hw_version_rule.h"

#include <QSet>

namespace kestrel::cli {

namespace {

constexpr quint16 kCameraPort = 5000;
constexpr int kMaxRebootTimeoutS = 24 * 3600;

QString ReadLogDir(const Given& given, JobPlan& plan) {
    if (!given.IsSet(QStringLiteral("log-dir")))
        return QString();
    plan.logDir = given.Value(QStringLiteral("log-dir"));
    return plan.logDir.isEmpty() ? QStringLiteral("--log-dir needs a folder name") : QString();
}

QString ReadReport(const Given& given, JobPlan& plan) {
    if (!given.IsSet(QStringLiteral("report")))
        return QString();
    plan.reportPath = given.Value(QStringLiteral("report"));
    return plan.reportPath.isEmpty() ? QStringLiteral("--report needs a file name") : QString();
}

QString ReadRebootTimeout(const Given& given, JobPlan& plan) {
    const QString name = QStringLiteral("reboot-timeout");
    if (!given.IsSet(name))
        return QString();
    bool ok = false;
    const int seconds = given.Value(name).toInt(&ok);
    if (!ok || seconds < 1 || seconds > kMaxRebootTimeoutS)
        return QStringLiteral("--reboot-timeout takes seconds from 1 to %1")
            .arg(kMaxRebootTimeoutS);
    if (!plan.confirmReboot)
        return QStringLiteral("--reboot-timeout goes with --confirm-reboot");
    plan.rebootTimeoutMs = seconds * 1000;
    return QString();
}

// --target-hw-version, and --reinstall with it.
QString ReadTarget(const Given& given, JobPlan& plan) {
    const QString name = QStringLiteral("target-hw-version");
    if (!given.IsSet(name))
        return plan.reinstall ? QStringLiteral("--reinstall goes with --target-hw-version")
                              : QString();
    if (given.Values(name).size() > 1)
        return QStringLiteral("--target-hw-version is given once");
    plan.targetHwVersion =
        QString::fromStdString(NormalizedHwVersion(given.Value(name).toLatin1().toStdString()));
    if (plan.targetHwVersion.isEmpty())
        return QStringLiteral("--target-hw-version takes a version as the camera shows it: "
                              "three hexadecimal parts of one or two digits, as 1.2B.05");
    return QString();
}

// --hw and --sw, which go together.
QString ReadFiles(const Given& given, JobPlan& plan) {
    const QString hw = QStringLiteral("hw");
    const QString sw = QStringLiteral("sw");
    if (!given.IsSet(hw) || !given.IsSet(sw))
        return QStringLiteral("%1 needs --hw FILE and --sw FILE").arg(given.CommandName());
    if (given.Values(hw).size() > 1 || given.Values(sw).size() > 1)
        return QStringLiteral("--hw and --sw are given once each");
    plan.hwFile = given.Value(hw);
    plan.swFile = given.Value(sw);
    return QString();
}

// The digest given with a --hw-sha256 or --sw-sha256 option, if any.
QString ReadSha256(const Given& given, const QString& name, QByteArray& digest) {
    if (!given.IsSet(name))
        return QString();
    if (given.Values(name).size() > 1)
        return QStringLiteral("--%1 is given once").arg(name);
    const std::string hex = NormalizedSha256(given.Value(name).toStdString());
    if (hex.empty())
        return QStringLiteral("--%1 takes a SHA-256 of 64 hexadecimal digits").arg(name);
    digest = QByteArray::fromHex(QByteArray::fromStdString(hex));
    return QString();
}

QString ReadHistoryFile(const Given& given, JobPlan& plan) {
    const QString name = QStringLiteral("history");
    if (!given.IsSet(name))
        return QString();
    if (given.Values(name).size() > 1)
        return QStringLiteral("--history is given once");
    plan.historyFile = given.Value(name);
    return plan.historyFile.isEmpty() ? QStringLiteral("--history needs a file name") : QString();
}

QString ReadHwSha256(const Given& given, JobPlan& plan) {
    return ReadSha256(given, QStringLiteral("hw-sha256"), plan.hwSha256);
}

QString ReadSwSha256(const Given& given, JobPlan& plan) {
    return ReadSha256(given, QStringLiteral("sw-sha256"), plan.swSha256);
}

} // namespace

QString ReadCameraAddresses(const Given& given, JobPlan& plan) {
    const QStringList operands = given.Operands();
    if (operands.isEmpty())
        return QStringLiteral("%1 needs at least one ADDRESS").arg(given.CommandName());
    QSet<QString> seen;
    for (const QString& text : operands) {
        QString error;
        const std::optional<CameraAddress> address = ParseCameraAddress(text, kCameraPort, &error);
        if (!address)
            return error;
        const QString key = address->Text().toLower();
        if (seen.contains(key))
            return QStringLiteral("camera %1 is given twice").arg(address->Text());
        seen.insert(key);
        plan.cameras.append(*address);
    }
    return QString();
}

QString CheckFileNames(const JobPlan& plan, bool folder) {
    if (plan.hwFile.isEmpty() || plan.swFile.isEmpty() || (folder && plan.folder.isEmpty()))
        return QStringLiteral("empty file or folder name");
    return QString();
}

const Argument& HelpOption() {
    static const Argument option{.names = {QStringLiteral("h"), QStringLiteral("help")},
                                 .description = QStringLiteral("show this help")};
    return option;
}

const Argument& HistoryOption() {
    static const Argument option{
        .names = {QStringLiteral("history")},
        .valueName = QStringLiteral("FILE"),
        .description = QStringLiteral(
            "the production history of this bench (default: the file\nnamed by "
            "KESTREL_FLASH_HISTORY, else\n~/.local/share/Kestrel_FlashTool/history.sqlite)"),
        .read = ReadHistoryFile};
    return option;
}

const Argument& JsonOption() {
    static const Argument option{
        .names = {QStringLiteral("json")},
        .description = QStringLiteral("write one JSON object per event and a final "
                                      "summary,\none object per line, instead of text"),
        .form = OutputForm::Json};
    return option;
}

const Argument& PlainOption() {
    static const Argument option{
        .names = {QStringLiteral("plain")},
        .description = QStringLiteral("plain lines (one per change of phase and every "
                                      "few\nseconds) even on a terminal"),
        .form = OutputForm::Plain};
    return option;
}

const Argument& LogDirOption() {
    static const Argument option{
        .names = {QStringLiteral("log-dir")},
        .valueName = QStringLiteral("DIR"),
        .description =
            QStringLiteral("record each camera's whole conversation in a file of its\nown in DIR, "
                           "named after its serial number and the time:\nevery line sent and "
                           "received, with times, and the\ntool's events"),
        .read = ReadLogDir,
        .step = 2};
    return option;
}

const Argument& ReportOption() {
    static const Argument option{
        .names = {QStringLiteral("report")},
        .valueName = QStringLiteral("FILE"),
        .description =
            QStringLiteral("append one line per camera to FILE: time, address,\nserial, versions "
                           "before and after, result, record file\n(tab-separated)"),
        .read = ReadReport,
        .step = 4};
    return option;
}

const Argument& ConfirmRebootOption() {
    static const Argument option{
        .names = {QStringLiteral("confirm-reboot")},
        .description = QStringLiteral(
            "after the run, wait for the camera to be power-cycled,\nreconnect when it "
            "is back and check that its hardware\nfirmware version changed; an "
            "unchanged version fails,\nand so does one the camera does not tell"),
        .flag = &JobPlan::confirmReboot};
    return option;
}

const Argument& RebootTimeoutOption() {
    static const Argument option{.names = {QStringLiteral("reboot-timeout")},
                                 .valueName = QStringLiteral("S"),
                                 .description =
                                     QStringLiteral("how long to wait for the power cycle (default "
                                                    "300 s)"),
                                 .read = ReadRebootTimeout,
                                 .step = 5};
    return option;
}

const Argument& TargetOption() {
    static const Argument option{
        .names = {QStringLiteral("target-hw-version")},
        .valueName = QStringLiteral("A.B.C"),
        .description = QStringLiteral(
            "the hardware firmware version wanted, as the camera's\ninformation shows "
            "it (three hexadecimal parts, either\ncase: 1.2B.05); a camera that "
            "already runs it is left\nalone (update: result current; plan: skip), and "
            "so is\none whose version cannot be read (version-unread, a\nfailure)"),
        .read = ReadTarget,
        .step = 3};
    return option;
}

const Argument& ReinstallOption() {
    static const Argument option{
        .names = {QStringLiteral("reinstall")},
        .description = QStringLiteral("program a camera that already runs the target version,\nor "
                                      "that waits for its power cycle after an\nearlier run"),
        .flag = &JobPlan::reinstall};
    return option;
}

const Argument& CamerasOperand() {
    static const Argument operand{.names = {},
                                  .valueName = QStringLiteral("ADDRESS"),
                                  .read = ReadCameraAddresses,
                                  .step = 1};
    return operand;
}

const Argument& HwFileOption() {
    static const Argument option{.names = {QStringLiteral("hw")},
                                 .valueName = QStringLiteral("FILE"),
                                 .description =
                                     QStringLiteral("the hardware firmware image (.rbf)"),
                                 .read = ReadFiles,
                                 .step = 1};
    return option;
}

const Argument& SwFileOption() {
    static const Argument option{.names = {QStringLiteral("sw")},
                                 .valueName = QStringLiteral("FILE"),
                                 .description =
                                     QStringLiteral("the software firmware file (vx_server...)"),
                                 .read = ReadFiles,
                                 .step = 1};
    return option;
}

const Argument& HwSha256Option() {
    static const Argument option{.names = {QStringLiteral("hw-sha256")},
                                 .valueName = QStringLiteral("HEX"),
                                 .description =
                                     QStringLiteral("the SHA-256 the hardware file must have"),
                                 .read = ReadHwSha256,
                                 .step = 3};
    return option;
}

const Argument& SwSha256Option() {
    static const Argument option{.names = {QStringLiteral("sw-sha256")},
                                 .valueName = QStringLiteral("HEX"),
                                 .description =
                                     QStringLiteral("the SHA-256 the software file must have"),
                                 .read = ReadSwSha256,
                                 .step = 3};
    return option;
}

QString AddressHelp() {
    return QStringLiteral(
        "ADDRESS is an IPv4 address or host name, optionally followed by :PORT\n"
        "(the camera's command port, 5000 by default): 192.168.1.40, cam-07.lab,\n"
        "10.0.0.5:15000.\n");
}

QString SignatureHelp() {
    return QStringLiteral(
        "A signature SHA256SUMS.sig beside SHA256SUMS (signify-openbsd -S, detached or\n"
        "with the list embedded) must be by a trusted key that is not revoked and\n"
        "match the list's exact bytes; the file's SHA-256 must then be the one the\n"
        "signed list gives. The report names the signer (\"signed by key\n"
        "1a2b3c4d5e6f7a8b (maker release key)\": the key number, then the comment of\n"
        "its key file without the \" public key\" signify adds) or says \"not signed\".\n"
        "Trusted keys: every NAME.pub in /usr/share/kestrel-flash/keys and\n"
        "/etc/kestrel-flash/keys (KESTREL_FLASH_KEYS=DIR[:DIR...] instead); key numbers\n"
        "in a key folder's file \"revoked\" (16 hexadecimal digits a line) are refused.\n"
        "\"require-signature = yes\" in /etc/kestrel-flash/policy.conf\n"
        "(KESTREL_FLASH_POLICY=FILE instead) refuses firmware that is not signed.\n"
        "A build without OpenSSL refuses signed firmware and that policy.\n");
}

QString ExitStatusOfCameras() {
    return QStringLiteral("Exit status: 0 when every camera succeeded, 1 when any failed, 2 for a\n"
                          "usage error.\n");
}

QString ExitStatusWithHistory() {
    return QStringLiteral("Exit status: 0 when every camera succeeded, 1 when any failed or the\n"
                          "production history could not be written, 2 for a usage error.\n");
}

QStringList CameraJobNames(const JobPlan& plan) {
    QStringList names;
    for (const CameraAddress& camera : plan.cameras)
        names.append(camera.Text());
    return names;
}

std::unique_ptr<Job> MakeCameraJob(int index, const JobPlan& plan, JobSink& sink) {
    return std::make_unique<CameraJob>(index, plan.cameras.at(index), plan, sink);
}

} // namespace kestrel::cli
