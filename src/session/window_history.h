#pragma once

#include "run_outcome.h"

#include <QObject>
#include <QString>

#include <string>

namespace kestrel {

class Camera;
class FirmwareStaging;
class HistoryRecorder;
class LogBook;
class ProgrammedCameras;
class SessionEvents;
struct StickCopyResult;
struct StickEjectResult;

namespace texts {
// The log's line when the history could not be written: the sentence that
// names the file and the reason, then that the work goes on.
QString HistoryNotWritten(const QString& sentence);
} // namespace texts

// What the window does to cameras and sticks, written to the production
// history: each update run and each run followed (begun when the run is
// announced, ended with its result when it ends), each power-cycle verdict on
// connecting again to a camera programmed here, each copy onto the stick and
// each eject. A history that cannot be written is told once in the log (after
// the copy's report when a copy is going on); the work goes on as it would.
class WindowHistory {
public:
    WindowHistory(HistoryRecorder& recorder, LogBook& log, SessionEvents& events, Camera& camera,
                  FirmwareStaging& staging, ProgrammedCameras& programmed);

private:
    void OnAnnounced(bool alreadyRunning);
    void OnRunEnded(RunOutcome outcome);
    void OnCopyEnded(const StickCopyResult& copy);
    void OnEjectEnded(const StickEjectResult& eject);
    void Tell(const QString& sentence);
    void TellHeld();

    HistoryRecorder& m_recorder;
    LogBook& m_log;
    SessionEvents& m_events;
    Camera& m_camera;
    FirmwareStaging& m_staging;
    ProgrammedCameras& m_programmed;
    std::string m_run; // the operations going on, by id; empty: none
    bool m_runChanged = false;
    std::string m_copy;
    std::string m_eject;
    QString m_held; // the failure's sentence, held while a copy writes the log
    QObject m_context;
};

} // namespace kestrel
