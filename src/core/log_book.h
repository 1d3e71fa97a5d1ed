#pragma once

#include <QObject>
#include <QString>

namespace kestrel {

// The log's text has one writer: what the link, the camera operations and
// the staging add to it goes through here, and is told as it happens to
// whoever presents it (the window's log pane, the terminal program's lines).
// When the window shows the log is for the writers to say, through the
// session's events.
class LogBook : public QObject {
    Q_OBJECT
public:
    const QString& Text() const { return m_strLog; }
    // How many times the log was written or restarted so far.
    quint64 Writes() const { return m_writes; }

    // The log starts afresh with text.
    void Restart(const QString& text = QString()) {
        m_strLog = text;
        ++m_writes;
        emit restarted();
        if (!text.isEmpty())
            emit written(text);
    }
    // text goes at the end of the log.
    void Write(const QString& text) {
        m_strLog += text;
        ++m_writes;
        emit written(text);
    }

signals:
    void restarted();
    void written(const QString& text);

private:
    QString m_strLog; // the log text shown in the log pane
    quint64 m_writes = 0;
};

} // namespace kestrel
