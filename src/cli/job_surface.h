#pragma once

#include "job_event.h"
#include "job_stop.h"
#include "log_book.h"
#include "window_surface.h"

#include <QStringList>

namespace kestrel::cli {

// The window surface of one job in the terminal program: what the shared
// camera and staging logic would show in the window becomes events for the
// output. The log, followed as it is written, becomes its complete lines, one
// event each (the log pane itself is not shown); the progress bar a
// percentage; a message box a message that does not wait for anyone. There is
// nobody to answer a chooser: it is cancelled.
class JobSurface : public WindowSurface {
public:
    // With a stop, every wait ends as soon as it is requested.
    JobSurface(int job, QString address, JobSink& sink, const JobStop* stop = nullptr);

    // Each complete line written to the log from now on becomes a log event;
    // the log must outlive nothing but its own writes.
    void FollowLog(const LogBook& log);

    void Post(JobEvent event);
    void PostState(JobState state);
    void PostLog(const QString& line);

    void ShowTextWithCaret(Pane pane, const QString& text, qsizetype caretPos) override;
    void SetPaneText(Pane pane, const QString& text) override;
    void SetConnectCaption(const QString&) override {}
    QString ReadCameraAddress() override { return m_address; }
    void SetProgress(int position) override;
    void ShowMessageBox(const QString& text) override;
    std::optional<QString> ChooseExistingFile(const QString& initialName,
                                              const QList<FileFilter>& filters) override;
    std::optional<QString> ChooseFolder() override;
    void Wait(int ms) override;

private:
    void AddToLog(const QString& text);

    int m_job;
    QString m_address;
    JobSink& m_sink;
    const JobStop* m_stop;
    QString m_partial; // the log's text after its last complete line
    int m_percent = -1;
};

} // namespace kestrel::cli
