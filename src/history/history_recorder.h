#pragma once

#include "history_event.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class HistoryWriter;

// What is known of the camera an operation works on; empty where unknown.
// Texts as the camera gave them.
struct HistoryCamera {
    std::string address{};
    std::string serial{};
    std::string model{};
    std::string hardware{}; // the hardware firmware version before the operation
    std::string software{};
    std::string target{}; // the hardware version asked for, if any
};

// How an operation begins.
struct HistoryStart {
    std::string_view action; // history::kUpdate ... kEject
    HistoryCamera camera{};
    std::string recordFile{}; // the camera's conversation record, if one is kept
    std::vector<StickFile> stickFiles{};
    std::string signerKey{};
};

// How it ends.
struct HistoryFinish {
    std::string result; // a code of the result table
    bool changed = false;
    std::string hardwareAfter{}; // the version seen after a power cycle
    // Learned since the begin; the empty fields keep what the begin knew.
    HistoryCamera camera{};
    std::string recordFile{};
    std::vector<StickFile> stickFiles{};
    std::string signerKey{};
    // The operation's length when the caller measured it; else the time
    // from Begin to End.
    std::optional<std::int64_t> elapsedMs{};
};

// The production history as one face of one process writes it: each
// operation's begin and end, through one HistoryWriter for the process, on
// its own thread. Begin and End return at once and never fail: a history that
// cannot be written does not change the work's own result. failed() tells,
// once, the sentence that names the file and the reason; whatever was
// already in the history stays.
class HistoryRecorder : public QObject {
    Q_OBJECT
public:
    // face: history::kWindow or kTerminal. given: the history asked for by
    // the command (--history), else the usual one (see HistoryPath).
    explicit HistoryRecorder(std::string_view face, const QString& given = QString(),
                             QObject* parent = nullptr);
    // Finishes: every event given is tried once more.
    ~HistoryRecorder() override;

    QString Path() const;

    // Writes the begin of a new operation; returns the operation's id.
    std::string Begin(const HistoryStart& start);
    // Writes the end of the operation Begin gave this id for; nothing for an
    // id that is not open.
    void End(const std::string& operation, const HistoryFinish& finish);
    // The operations begun and not ended.
    std::size_t Open() const { return m_open.size(); }

    // Waits until every event given was tried once more; true when all were
    // written, else false with the sentence of the failure. Then nothing more
    // is written.
    bool Finish(QString* failure = nullptr);

signals:
    // The history could not be written: told once.
    void failed(const QString& sentence);

private:
    struct Begun {
        HistoryEvent begin;
        QElapsedTimer clock;
    };

    std::string m_face;
    std::unique_ptr<HistoryWriter> m_writer;
    std::map<std::string, Begun> m_open; // by operation id
};

} // namespace kestrel
