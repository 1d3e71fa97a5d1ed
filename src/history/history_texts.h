#pragma once

#include <QDir>
#include <QString>

// The words of `kestrel-flash history` for the operator.
namespace kestrel::texts {

// A usage error: what is wrong with the command line, and where its usage is.
inline QString HistoryUsage(const QString& error) {
    return QStringLiteral(
               "kestrel-flash: %1\nRun \"kestrel-flash history --help\" for its usage.\n")
        .arg(error);
}
inline QString GivenOnce(const QString& option) {
    return QStringLiteral("%1 is given once").arg(option);
}
inline QString CsvOrJson() {
    return QStringLiteral("--csv and --json cannot be used together");
}
inline QString VerifyTakesNoFilter() {
    return QStringLiteral("--verify checks the whole history: it takes no --serial, --since, "
                          "--until, --result, --last or --csv");
}
inline QString BadSerial() {
    return QStringLiteral("--serial takes a serial number as the camera tells it: 1 to 64 "
                          "characters, none of them a control character");
}
inline QString BadDate(const QString& option, const QString& given) {
    return QStringLiteral("%1 %2 is not a date: give one as 2026-12-07, or a time as "
                          "2026-12-07T14:05 or 2026-12-07T14:05:06, in UTC unless it ends in "
                          "an offset such as +01:00")
        .arg(option, given);
}
inline QString SinceAfterUntil() {
    return QStringLiteral("--since is after --until: no operation could match");
}
inline QString BadResult(const QString& given, const QString& codes) {
    return QStringLiteral("--result %1 is not a result code; the codes are: %2").arg(given, codes);
}
inline QString BadLast(const QString& given) {
    return QStringLiteral("--last %1 is not a number of operations: give a whole number from 1 on")
        .arg(given);
}

// "kestrel-flash: " before a sentence of its own, on a line of its own.
inline QString HistoryError(const QString& sentence) {
    return QStringLiteral("kestrel-flash: %1\n").arg(sentence);
}
inline QString NoHistoryYet(const QString& path) {
    return QStringLiteral("The history %1 does not exist yet: there are no operations to show.")
        .arg(QDir::toNativeSeparators(path));
}
inline QString NoEventsToCheck(const QString& path) {
    return QStringLiteral("The history %1 does not exist yet: there are no events to check.")
        .arg(QDir::toNativeSeparators(path));
}
inline QString NoOperationMatches(const QString& path) {
    return QStringLiteral("No operation of the history %1 matches.")
        .arg(QDir::toNativeSeparators(path));
}
inline QString Events(qint64 count) {
    return count == 1 ? QStringLiteral("1 event") : QStringLiteral("%1 events").arg(count);
}
inline QString HistoryIntact(const QString& path, qint64 checked) {
    return QStringLiteral("The history %1 is intact: checked %2, each as it was written and in "
                          "the order written.")
        .arg(QDir::toNativeSeparators(path), Events(checked));
}
inline QString HistoryBroken(const QString& path, qint64 intact, const QString& chainBreak) {
    return QStringLiteral("The history %1 fails its check after %2 found intact: %3.")
        .arg(QDir::toNativeSeparators(path), Events(intact), chainBreak);
}

} // namespace kestrel::texts
