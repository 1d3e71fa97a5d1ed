#include "record_book.h"

#include "terminal.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace kestrel::cli {

namespace {

constexpr qsizetype kMaxStem = 40;
constexpr int kMaxSameName = 1000; // records of one camera within one second

} // namespace

QDateTime LocalNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc());
}

QString RecordStamp(const QDateTime& when) {
    const int offset = when.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return when.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")) +
           QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString RecordStem(const QString& serial, const QString& address) {
    const auto hasName = [](const QString& text) {
        for (const QChar c : text) {
            if (c.isLetterOrNumber() && c.unicode() < 0x80)
                return true;
        }
        return false;
    };
    QString stem;
    for (const QChar c : (hasName(serial) ? serial : address).left(kMaxStem)) {
        const bool kept = c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('_') ||
                                                 (c == QLatin1Char('-') && !stem.isEmpty()));
        stem += kept ? c : QLatin1Char('_');
    }
    return stem;
}

RecordBook::RecordBook(const QString& folder, const QString& command, const QStringList& cameras,
                       RecordClock clock, qsizetype queueLimit)
    : m_dir(folder), m_clock(std::move(clock)), m_limit(queueLimit),
      m_queues(static_cast<std::size_t>(cameras.size())),
      m_targets(static_cast<std::size_t>(cameras.size())) {
    const QDateTime now = m_clock();
    for (qsizetype i = 0; i < cameras.size(); ++i) {
        Queue& queue = m_queues[static_cast<std::size_t>(i)];
        queue.address = cameras.at(i);
        queue.started = now;
        Append(queue, now, Mark::Event,
               QStringLiteral("kestrel-flash %1 %2").arg(command, cameras.at(i)), true);
    }
}

RecordBook::~RecordBook() {
    Close();
}

bool RecordBook::CheckWritable(QString* error) const {
    const QFileInfo info(m_dir.path());
    QString reason;
    if (!info.exists()) {
        reason = QStringLiteral("it does not exist");
    } else if (!info.isDir()) {
        reason = QStringLiteral("it is not a folder");
    } else {
        QTemporaryFile probe(m_dir.filePath(QStringLiteral(".kestrel-flash-XXXXXX")));
        if (probe.open())
            return true;
        reason = probe.errorString();
    }
    if (error)
        *error = QStringLiteral("cannot write conversation records into the folder %1: %2")
                     .arg(m_dir.path(), reason);
    return false;
}

void RecordBook::Start(Tell tell) {
    m_tell = std::move(tell);
    m_writer = std::thread([this] { WriteLoop(); });
}

void RecordBook::Append(Queue& queue, const QDateTime& when, Mark mark, const QString& text,
                        bool always) {
    static const char* const kMarks[] = {"->", "<-", "--"};
    const QByteArray line =
        (RecordStamp(when) + QLatin1Char(' ') + QLatin1String(kMarks[static_cast<int>(mark)]) +
         QLatin1Char(' ') + Escaped(text) + QLatin1Char('\n'))
            .toUtf8();
    if (!always && m_waiting + line.size() > m_limit) {
        ++queue.leftOut;
        return;
    }
    if (queue.leftOut > 0) {
        const qsizetype count = std::exchange(queue.leftOut, 0);
        Append(queue, when, Mark::Event,
               QStringLiteral("%1 line(s) left out here: the disk did not keep up").arg(count),
               true);
    }
    queue.lines += line;
    m_waiting += line.size();
    if (!queue.base.isEmpty())
        m_wake.notify_one();
}

void RecordBook::Add(int job, Mark mark, const QString& text) {
    const std::lock_guard lock(m_mutex);
    Queue& queue = m_queues.at(static_cast<std::size_t>(job));
    if (!queue.ended)
        Append(queue, m_clock(), mark, text, false);
}

void RecordBook::Name(int job, const QString& serial) {
    const std::lock_guard lock(m_mutex);
    NameQueue(m_queues.at(static_cast<std::size_t>(job)), serial);
    m_wake.notify_one();
}

void RecordBook::NameQueue(Queue& queue, const QString& serial) {
    if (queue.base.isEmpty())
        queue.base = RecordStem(serial, queue.address) + QLatin1Char('_') +
                     queue.started.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

void RecordBook::End(int job, const JobResult& result) {
    {
        const std::lock_guard lock(m_mutex);
        Queue& queue = m_queues.at(static_cast<std::size_t>(job));
        if (queue.ended)
            return;
        const QString detail = result.detail.simplified();
        Append(queue, m_clock(), Mark::Event,
               QStringLiteral("ended: ") + CodeOf(result.code) +
                   (detail.isEmpty() ? QString() : QStringLiteral(": ") + detail),
               true);
        queue.ended = true;
    }
    Name(job, result.Serial());
}

void RecordBook::Close() {
    {
        const std::lock_guard lock(m_mutex);
        if (m_closing)
            return;
        m_closing = true;
        m_wake.notify_one();
    }
    if (m_writer.joinable())
        m_writer.join();
}

QString RecordBook::File(int job) const {
    const std::lock_guard lock(m_mutex);
    return m_queues.at(static_cast<std::size_t>(job)).path;
}

bool RecordBook::Pending(const Queue& queue) {
    return !queue.base.isEmpty() && !queue.done && (!queue.lines.isEmpty() || queue.ended);
}

bool RecordBook::HasWork() const {
    return std::any_of(m_queues.begin(), m_queues.end(), Pending);
}

void RecordBook::WriteLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_closing || HasWork(); });
        if (m_closing) {
            // A record that was never named gets its camera's address.
            for (Queue& queue : m_queues)
                NameQueue(queue, QString());
        }
        if (!HasWork())
            break;
        for (std::size_t i = 0; i < m_queues.size(); ++i) {
            Queue& queue = m_queues[i];
            if (!Pending(queue))
                continue;
            const QByteArray bytes = std::exchange(queue.lines, QByteArray());
            m_waiting -= bytes.size();
            const bool last = queue.ended || m_closing;
            queue.done = last;
            const QString base = queue.base;
            lock.unlock();
            const QString problem = Write(static_cast<int>(i), base, bytes, last);
            const Target& target = m_targets[i];
            const QString path = target.file ? target.path : QString();
            if (!problem.isEmpty() && m_tell)
                m_tell(static_cast<int>(i), problem);
            lock.lock();
            queue.path = path;
        }
    }
}

QString RecordBook::Write(int job, const QString& base, const QByteArray& bytes, bool last) {
    Target& target = m_targets[static_cast<std::size_t>(job)];
    if (target.failed)
        return QString();
    QString reason;
    if (!target.file)
        reason = OpenTarget(target, base);
    // A write may take part of the bytes; one that takes none says why.
    for (qsizetype at = 0; reason.isEmpty() && at < bytes.size();) {
        const qint64 written = target.file->write(bytes.constData() + at, bytes.size() - at);
        if (written <= 0)
            reason = target.file->errorString();
        else
            at += written;
    }
    if (reason.isEmpty() && last)
        target.file->close();
    if (reason.isEmpty())
        return QString();
    target.failed = true;
    if (target.file)
        target.file->close();
    return QStringLiteral("The conversation record %1 stops here: %2. The run goes on without it.")
        .arg(target.path, reason);
}

QString RecordBook::OpenTarget(Target& target, const QString& base) const {
    for (int n = 1; n <= kMaxSameName; ++n) {
        const QString name =
            n == 1 ? base + QStringLiteral(".log") : QStringLiteral("%1-%2.log").arg(base).arg(n);
        target.path = m_dir.absoluteFilePath(name);
        auto file = std::make_unique<QFile>(target.path);
        // Never onto an existing file: a record of the same name stays.
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            target.file = std::move(file);
            return QString();
        }
        if (!QFileInfo::exists(target.path) && !QFileInfo(target.path).isSymLink())
            return file->errorString();
    }
    return QStringLiteral("too many records of the same name");
}

} // namespace kestrel::cli
