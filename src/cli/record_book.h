#pragma once

#include "job.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QFile;

namespace kestrel::cli {

// Gives the time of each line of a record.
using RecordClock = std::function<QDateTime()>;

// Now, in local time with its offset from UTC.
QDateTime LocalNow();

// "2026-12-07T14:05:06.123+01:00": ISO 8601, milliseconds, offset from UTC.
QString RecordStamp(const QDateTime& when);

// The start of a record's file name: the serial number the camera gave, or
// its address when it gave none. Camera text is not trusted: only letters,
// digits, '-' and '_' are kept (anything else becomes '_', so there is no
// path, no dot and no leading '-'), at most 40 of them.
QString RecordStem(const QString& serial, const QString& address);

// The conversation records of one command, a file per camera in one folder:
// every line sent to the camera and received from it, and the tool's own
// events, each with its time, camera text escaped as on the terminal. Lines
// are added from any thread and written by a thread of the book's own, so a
// slow or full disk never holds a camera up: past queueLimit bytes waiting,
// lines are left out (the record says how many), and the first failed write
// ends that record (the operator is told once) while the run goes on.
class RecordBook {
public:
    enum class Mark { Sent, Received, Event };
    // Tells the operator about a record that stopped; called from the
    // writing thread.
    using Tell = std::function<void(int job, const QString& text)>;

    // cameras: each camera's address, in job order; command: "update"...
    RecordBook(const QString& folder, const QString& command, const QStringList& cameras,
               RecordClock clock, qsizetype queueLimit = qsizetype(4) << 20);
    ~RecordBook();
    RecordBook(const RecordBook&) = delete;
    RecordBook& operator=(const RecordBook&) = delete;

    // Checks that files can be created in the folder, so that no camera is
    // touched when its record could not be written.
    bool CheckWritable(QString* error) const;

    // Starts writing; lines added before wait until then.
    void Start(Tell tell);

    void Add(int job, Mark mark, const QString& text);
    // Names the job's file after the serial number (see RecordStem) and the
    // time the record began; the first naming counts. Nothing is written to
    // the disk before, so the file gets the camera's name, not its address.
    void Name(int job, const QString& serial);
    // The job's last line, how it ended; the record is then complete.
    void End(int job, const JobResult& result);
    // Waits until every line is written (or left out) and the files closed.
    void Close();

    // The job's file, once opened: from its first write after the naming;
    // empty when none was made (yet). After Close, final.
    QString File(int job) const;

private:
    struct Queue { // shared with the adding threads, under m_mutex
        QString address;
        QDateTime started;
        QString base; // the file name without ".log"; empty until named
        QByteArray lines;
        qsizetype leftOut = 0;
        bool ended = false;
        bool done = false; // ended, and everything written
        QString path;      // the file, once the writing thread opened it
    };
    struct Target { // the writing thread's alone
        std::unique_ptr<QFile> file;
        QString path;
        bool failed = false;
    };

    void Append(Queue& queue, const QDateTime& when, Mark mark, const QString& text, bool always);
    static void NameQueue(Queue& queue, const QString& serial);
    static bool Pending(const Queue& queue);
    bool HasWork() const;
    void WriteLoop();
    // Writes the bytes into the job's file, opened first when needed; on a
    // failure, what went wrong.
    QString Write(int job, const QString& base, const QByteArray& bytes, bool last);
    QString OpenTarget(Target& target, const QString& base) const;

    QDir m_dir;
    RecordClock m_clock;
    qsizetype m_limit;
    Tell m_tell;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Queue> m_queues;
    std::vector<Target> m_targets;
    qsizetype m_waiting = 0; // bytes in the queues
    bool m_closing = false;
    std::thread m_writer;
};

} // namespace kestrel::cli
