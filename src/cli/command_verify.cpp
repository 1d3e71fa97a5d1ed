// kestrel-flash verify: would stage accept the firmware files?

#include "command_options.h"
#include "stage_job.h"

namespace kestrel::cli {

namespace {

QString ReadNoFolder(const Given& given, JobPlan& plan) {
    if (!given.Operands().isEmpty())
        return QStringLiteral("verify takes no FOLDER: it copies nothing");
    return CheckFileNames(plan, false);
}

const Argument& NoOperand() {
    static const Argument operand{.read = ReadNoFolder, .step = 2};
    return operand;
}

QStringList FileNames(const JobPlan& plan) {
    return {VerifyJobName(plan)};
}

std::unique_ptr<Job> MakeVerifyJob(int, const JobPlan& plan, JobSink& sink) {
    return std::make_unique<StageJob>(plan, false, sink);
}

} // namespace

const Command& VerifyCommand() {
    static const Command command{
        .name = QStringLiteral("verify"),
        .synopsis = QStringLiteral("verify --hw FILE --sw FILE"),
        .summary = QStringLiteral(
            "say whether stage would accept the firmware files (their\nchecksums and "
            "signature), copying nothing"),
        .usage = QStringLiteral("verify [OPTIONS] --hw FILE --sw FILE"),
        .about =
            QStringLiteral(
                "Makes the checks that stage makes before anything is written, and copies\n"
                "nothing: each file is read, its SHA-256 taken and checked against the one\n"
                "given for it and the checksum files beside it, under the signature and the\n"
                "site's policy as below. Fails as refused when stage would refuse the files.\n\n") +
            SignatureHelp(),
        .arguments = {&NoOperand(), &HwFileOption(), &SwFileOption(), &HwSha256Option(),
                      &SwSha256Option(), &JsonOption(), &PlainOption()},
        .exitStatus = QStringLiteral(
            "Exit status: 0 when both files would be accepted, 1 when they would be\n"
            "refused, 2 for a usage error.\n"),
        .jobColumn = QStringLiteral("FILES"),
        .serials = false,
        .jobNames = FileNames,
        .makeJob = MakeVerifyJob};
    return command;
}

} // namespace kestrel::cli
