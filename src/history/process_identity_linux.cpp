#include "process_identity.h"

#include <QFile>

#include <unistd.h>

namespace kestrel {

namespace {

// The boot's id (a new one at every start of the machine), shortened, and
// the clock tick the process started at: field 22 of /proc/PID/stat,
// counted after the command name in parentheses, which may hold spaces.
std::string StartOf(std::int64_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QFile boot(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!stat.open(QIODevice::ReadOnly) || !boot.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    const qsizetype paren = line.lastIndexOf(')');
    const QList<QByteArray> fields = line.mid(paren + 2).split(' ');
    if (paren < 0 || fields.size() < 20)
        return {};
    return (boot.readAll().left(8) + ':' + fields.at(19)).toStdString();
}

} // namespace

ProcessStamp ThisProcess() {
    const std::int64_t pid = getpid();
    return {pid, StartOf(pid)};
}

bool ProcessIsGone(const ProcessStamp& stamp) {
    if (stamp.pid <= 0)
        return false;
    const std::string now = StartOf(stamp.pid);
    return now.empty() || now != stamp.start;
}

} // namespace kestrel
