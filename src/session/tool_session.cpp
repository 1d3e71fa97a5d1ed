#include "tool_session.h"

#include "camera.h"
#include "firmware_staging.h"
#include "programmed_cameras.h"
#include "window_history.h"

namespace kestrel {

ToolSession::ToolSession(WindowSurface& surface, FileChooserPort& choosers, LinkSettings link,
                         RunSettings run)
    : m_link(link), m_presenter(m_events, m_log, surface),
      m_camera(std::make_unique<Camera>(m_log, m_events, link, run)),
      m_staging(std::make_unique<FirmwareStaging>(m_log, m_events, choosers)) {
    m_staging->SetRunActive([this] { return m_camera->RunActive(); });
    m_programmed = std::make_unique<ProgrammedCameras>(m_log, m_events, *m_camera);
    m_staging->SetQuestion([this](const QString& text, const QString& yes, const QString& no) {
        return m_presenter.Ask(text, yes, no);
    });
}

ToolSession::~ToolSession() = default;

void ToolSession::Connect(const QString& address) {
    // The button toggles; the window follows a run it finds in progress.
    if (m_camera->Connected()) {
        m_camera->Disconnect();
        return;
    }
    ResetBar();
    m_camera->Connect(address, m_link.cameraPort, Camera::FoundRun::Follow);
}

void ToolSession::StartUpdate() {
    if (m_camera->Connected())
        ResetBar();
    m_camera->Update();
}

void ToolSession::KeepHistory(HistoryRecorder& recorder) {
    m_history = std::make_unique<WindowHistory>(recorder, m_log, m_events, *m_camera, *m_staging,
                                                *m_programmed);
}

bool ToolSession::Busy() const {
    return m_camera->Busy() || m_staging->CopyRunning();
}

void ToolSession::ResetBar() {
    // The bar shows the camera operation that begins now, not what came
    // before it (a copy's 100); a run in progress keeps its position.
    if (!m_camera->RunActive())
        emit m_events.progress(0);
}

void ToolSession::CopyToStick() {
    m_staging->CopyToStick();
}

void ToolSession::ChooseHwFile() {
    m_staging->ChooseHwFile();
}

void ToolSession::ChooseSwFile() {
    m_staging->ChooseSwFile();
}

void ToolSession::ChooseStickFolder() {
    m_staging->ChooseStickFolder();
}

} // namespace kestrel
