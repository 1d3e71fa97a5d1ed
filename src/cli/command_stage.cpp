// kestrel-flash stage: copies the firmware files onto a USB stick.

#include "command_options.h"
#include "stage_job.h"

namespace kestrel::cli {

namespace {

QString ReadFolder(const Given& given, JobPlan& plan) {
    const QStringList operands = given.Operands();
    if (operands.size() != 1)
        return QStringLiteral("stage needs exactly one FOLDER");
    plan.folder = operands.first();
    return CheckFileNames(plan, true);
}

const Argument& FolderOperand() {
    static const Argument operand{
        .valueName = QStringLiteral("FOLDER"), .read = ReadFolder, .step = 2};
    return operand;
}

const Argument& EjectOption() {
    static const Argument option{
        .names = {QStringLiteral("eject")},
        .description =
            QStringLiteral(
                "after a successful copy, eject the stick: its\nfile systems unmounted, "
                "then powered off; a\nfolder on a fixed disk is never ejected; a failed\n"
                "eject fails as %1, the copy valid")
                .arg(CodeOf(ResultCode::EjectFailed)),
        .flag = &JobPlan::eject};
    return option;
}

QStringList FolderName(const JobPlan& plan) {
    return {plan.folder};
}

std::unique_ptr<Job> MakeStageJob(int, const JobPlan& plan, JobSink& sink) {
    return std::make_unique<StageJob>(plan, true, sink);
}

} // namespace

const Command& StageCommand() {
    static const Command command{
        .name = QStringLiteral("stage"),
        .synopsis = QStringLiteral("stage --hw FILE --sw FILE FOLDER"),
        .summary = QStringLiteral("copy the firmware files onto a USB stick and verify them"),
        .usage = QStringLiteral("stage [OPTIONS] --hw FILE --sw FILE FOLDER"),
        .about =
            QStringLiteral(
                "Copies the hardware firmware image as \"firm.rbf\" and the software firmware as\n"
                "\"vx_server\" into FOLDER (the USB stick), verifies both copies against their\n"
                "sources and only then puts them in place.\n\n"
                "Before anything is written, each file is checked against the SHA-256 given\n"
                "for it and against the checksum files beside it (FILE.sha256, SHA256SUMS,\n"
                "sha256sums.txt, as sha256sum writes them); a mismatch, or a checksum file\n"
                "that cannot be read or does not list the file, refuses the copy.\n\n") +
            SignatureHelp(),
        .arguments = {&FolderOperand(), &HwFileOption(), &SwFileOption(), &HwSha256Option(),
                      &SwSha256Option(), &EjectOption(), &HistoryOption(), &JsonOption(),
                      &PlainOption()},
        .exitStatus = ExitStatusWithHistory(),
        .jobColumn = QStringLiteral("FOLDER"),
        .serials = false,
        .needsStopHandlers = true,
        .writesHistory = true,
        .jobNames = FolderName,
        .makeJob = MakeStageJob};
    return command;
}

} // namespace kestrel::cli
