#pragma once

#include "camera_scanner.h"

#include <QObject>
#include <QString>

#include <memory>

namespace kestrel {

class LogBook;
class SessionEvents;
class Camera;

// Looks at one address and port after the other for a camera, without
// changing anything on it: a short use of a Camera (open, probe the run,
// read the identity, close). A port counts as a camera once it has sent a
// greeting line and answered the update status probe with an update status
// reply. A camera with a run in progress is sent nothing else (the busy gate
// holds even the goodbye back); any other is asked for its identity and then
// told goodbye. Lives in the thread that builds it.
class CameraProbe : public QObject {
    Q_OBJECT
public:
    explicit CameraProbe(const ScanSettings& settings, QObject* parent = nullptr);
    ~CameraProbe() override;

    // Starts a look at address:port; looked() tells what it found. Not while
    // a look is under way.
    void Look(const QString& address, quint16 port);
    bool Looking() const { return m_stage != Stage::Idle; }

    // Ends the look under way at once: it finds nothing.
    void Abort();

signals:
    // The look is over: found tells whether a camera answered there.
    void looked(bool found, const kestrel::ScanFinding& finding);

private:
    enum class Stage { Idle, Opening, Probing, Identifying, Closing };

    bool Present() const;
    // Ends the look: politely (goodbye unless the busy gate holds it back)
    // with a camera found, or with nothing said to whoever answered.
    void Close(bool found, bool polite);
    // The look is over: told, and the probe free for the next.
    void Done();

    std::unique_ptr<LogBook> m_log;          // the camera's, read by nobody
    std::unique_ptr<SessionEvents> m_events; // the camera's, shown nowhere
    std::unique_ptr<Camera> m_camera;
    Stage m_stage = Stage::Idle;
    bool m_aborted = false;
    bool m_found = false;
    ScanFinding m_finding;
};

} // namespace kestrel
