#include "cli_options.h"

#include "result_code.h"

namespace kestrel::cli {

namespace {

const char* const kAddressHelp =
    "ADDRESS is an IPv4 address or host name, optionally followed by :PORT\n"
    "(the camera's command port, 5000 by default): 192.168.1.40, cam-07.lab,\n"
    "10.0.0.5:15000.\n";

const char* const kOutputHelp =
    "  --json             write one JSON object per event and a final summary,\n"
    "                     one object per line, instead of text\n"
    "  --plain            plain lines (one per change of phase and every few\n"
    "                     seconds) even on a terminal\n";

const char* const kRunHelp =
    "  --confirm-reboot   after the run, wait for the camera to be power-cycled,\n"
    "                     reconnect when it is back and check that its hardware\n"
    "                     firmware version changed; an unchanged version fails,\n"
    "                     and so does one the camera does not tell\n"
    "  --reboot-timeout S how long to wait for the power cycle (default 300 s)\n"
    "  --report FILE      append one line per camera to FILE: time, address,\n"
    "                     serial, versions before and after, result, record file\n"
    "                     (tab-separated)\n";

const char* const kTargetHelp =
    "  --target-hw-version A.B.C\n"
    "                     the hardware firmware version wanted, as the camera's\n"
    "                     information shows it (three hexadecimal parts, either\n"
    "                     case: 1.2B.05); a camera that already runs it is left\n"
    "                     alone (update: result current; plan: skip), and so is\n"
    "                     one whose version cannot be read (version-unread, a\n"
    "                     failure)\n"
    "  --reinstall        program a camera that already runs the target version\n";

const char* const kRecordHelp =
    "  --log-dir DIR      record each camera's whole conversation in a file of its\n"
    "                     own in DIR, named after its serial number and the time:\n"
    "                     every line sent and received, with times, and the\n"
    "                     tool's events\n";

const char* const kSignatureHelp =
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
    "A build without OpenSSL refuses signed firmware and that policy.\n";

const char* const kExitHelp =
    "Exit status: 0 when every camera succeeded, 1 when any failed, 2 for a\n"
    "usage error.\n";

} // namespace

QString ProgramHelp() {
    return QStringLiteral(
               "Usage: kestrel-flash COMMAND [OPTIONS] ...\n"
               "\n"
               "Updates the firmware of Kestrel network cameras from a terminal.\n"
               "\n"
               "Commands:\n"
               "  info ADDRESS...      show each camera's serial number, model, sensor and\n"
               "                       firmware versions\n"
               "  update ADDRESS...    program the new firmware into each camera's boot flash,\n"
               "                       all cameras at once\n"
               "  plan ADDRESS...      say what update would do with each camera, changing\n"
               "                       nothing\n"
               "  watch ADDRESS        follow a programming run already in progress\n"
               "  stage --hw FILE --sw FILE FOLDER\n"
               "                       copy the firmware files onto a USB stick and verify them\n"
               "  verify --hw FILE --sw FILE\n"
               "                       say whether stage would accept the firmware files (their\n"
               "                       checksums and signature), copying nothing\n"
               "  scan TARGET...       find the cameras among addresses, networks or ranges\n"
               "\n"
               "Run \"kestrel-flash COMMAND --help\" for the options of a command.\n"
               "\n"
               "  --version            show the version and that of the JSON output (schema)\n"
               "\n") +
           QString::fromLatin1(kExitHelp);
}

QString CommandHelp(Command command) {
    QString text;
    switch (command) {
    case Command::Info:
        text = QStringLiteral("Usage: kestrel-flash info [OPTIONS] ADDRESS...\n\n"
                              "Connects to each camera and shows its information: serial "
                              "number, model,\nsensor, hardware and software firmware "
                              "versions.\n\n") +
               QString::fromLatin1(kAddressHelp) + QStringLiteral("\nOptions:\n") +
               QString::fromLatin1(kRecordHelp) + QString::fromLatin1(kOutputHelp);
        break;
    case Command::Update:
        text =
            QStringLiteral("Usage: kestrel-flash update [OPTIONS] ADDRESS...\n\n"
                           "Programs each camera's boot flash from the USB stick in the camera: "
                           "stops the\ncamera's activities, starts the reprogramming and follows "
                           "the erase and\nprogramming phases to their end. All cameras are "
                           "updated at once, each on its\nown connection. A camera found "
                           "programming already is followed, not restarted.\nA camera is given 60 s "
                           "to begin the programming after the start command (it\nreads the "
                           "firmware from its USB stick first); one that has not begun by "
                           "then\nmay still begin: do not power it off; follow it with "
                           "kestrel-flash watch.\nA lost connection is "
                           "tried again for 60 s. Power-cycle a camera only when its\nline says "
                           "so.\n\n"
                           "With --confirm-reboot and --target-hw-version, the camera must come "
                           "back with\nexactly the target version; another one fails as "
                           "wrong-version.\n\n") +
            QString::fromLatin1(kAddressHelp) + QStringLiteral("\nOptions:\n") +
            QString::fromLatin1(kTargetHelp) + QString::fromLatin1(kRunHelp) +
            QString::fromLatin1(kRecordHelp) + QString::fromLatin1(kOutputHelp);
        break;
    case Command::Plan:
        text = QStringLiteral("Usage: kestrel-flash plan [OPTIONS] ADDRESS...\n\n"
                              "Says what update would do with each camera, and changes "
                              "nothing: only the\nupdate status question, the information "
                              "commands and the goodbye reach the\ncamera.\nFor each camera: program (older, "
                              "newer, reinstall, no target), skip: current,\nfollow: run in "
                              "progress, unreachable, or version-unread (with a target);\nwith "
                              "the information read.\n\n") +
               QString::fromLatin1(kAddressHelp) + QStringLiteral("\nOptions:\n") +
               QString::fromLatin1(kTargetHelp) + QString::fromLatin1(kRecordHelp) +
               QString::fromLatin1(kOutputHelp) +
               QStringLiteral("  -h, --help         show this help\n\n"
                              "Exit status: 0 when every camera could be asked (and, with a "
                              "target, told\nits version), 1 otherwise, 2 for a usage error.\n");
        return text;
    case Command::Watch:
        text = QStringLiteral("Usage: kestrel-flash watch [OPTIONS] ADDRESS\n\n"
                              "Follows a programming run already in progress on the camera "
                              "to its end.\nFails when the camera is not programming.\n\n") +
               QString::fromLatin1(kAddressHelp) + QStringLiteral("\nOptions:\n") +
               QString::fromLatin1(kRunHelp) + QString::fromLatin1(kRecordHelp) +
               QString::fromLatin1(kOutputHelp);
        break;
    case Command::Stage:
        text =
            QStringLiteral("Usage: kestrel-flash stage [OPTIONS] --hw FILE --sw FILE FOLDER\n\n"
                           "Copies the hardware firmware image as \"firm.rbf\" and the software "
                           "firmware as\n\"vx_server\" into FOLDER (the USB stick), verifies both "
                           "copies against their\nsources and only then puts them in place.\n\n"
                           "Before anything is written, each file is checked against the "
                           "SHA-256 given\nfor it and against the checksum files beside it "
                           "(FILE.sha256, SHA256SUMS,\nsha256sums.txt, as sha256sum writes "
                           "them); a mismatch, or a checksum file\nthat cannot be read or "
                           "does not list the file, refuses the copy.\n\n") +
            QString::fromLatin1(kSignatureHelp) +
            QStringLiteral(
                "\nOptions:\n"
                "  --hw FILE          the hardware firmware image (.rbf)\n"
                "  --sw FILE          the software firmware file (vx_server...)\n"
                "  --hw-sha256 HEX    the SHA-256 the hardware file must have\n"
                "  --sw-sha256 HEX    the SHA-256 the software file must have\n"
                "  --eject            after a successful copy, eject the stick: its\n"
                "                     file systems unmounted, then powered off; a\n"
                "                     folder on a fixed disk is never ejected; a failed\n"
                "                     eject fails as %1, the copy valid\n")
                .arg(CodeOf(ResultCode::EjectFailed)) +
            QString::fromLatin1(kOutputHelp);
        break;
    case Command::Verify:
        text = QStringLiteral("Usage: kestrel-flash verify [OPTIONS] --hw FILE --sw FILE\n\n"
                              "Makes the checks that stage makes before anything is written, and "
                              "copies\nnothing: each file is read, its SHA-256 taken and checked "
                              "against the one\ngiven for it and the checksum files beside it, "
                              "under the signature and the\nsite's policy as below. Fails as "
                              "refused when stage would refuse the files.\n\n") +
               QString::fromLatin1(kSignatureHelp) +
               QStringLiteral("\nOptions:\n"
                              "  --hw FILE          the hardware firmware image (.rbf)\n"
                              "  --sw FILE          the software firmware file (vx_server...)\n"
                              "  --hw-sha256 HEX    the SHA-256 the hardware file must have\n"
                              "  --sw-sha256 HEX    the SHA-256 the software file must have\n") +
               QString::fromLatin1(kOutputHelp) +
               QStringLiteral("  -h, --help         show this help\n\n"
                              "Exit status: 0 when both files would be accepted, 1 when they "
                              "would be\nrefused, 2 for a usage error.\n");
        return text;
    case Command::Scan:
        return ScanHelp() + QStringLiteral("  -h, --help         show this help\n\n"
                                           "Exit status: 0 when a camera was found, 1 when "
                                           "none was, 2 for a\nusage error.\n");
    }
    return text + QStringLiteral("  -h, --help         show this help\n\n") +
           QString::fromLatin1(kExitHelp);
}

QString VersionText() {
    return QStringLiteral("kestrel-flash %1\njson schema %2\n")
        .arg(QStringLiteral(KESTREL_FLASH_VERSION))
        .arg(kJsonSchemaVersion);
}

} // namespace kestrel::cli
