#pragma once

#include <QObject>
#include <QString>

namespace kestrel {

// The log's text has one writer: what the link, the camera operations and
// the staging add to it goes through here, and is told as it happens to
// whoever presents the log otherwise than as one pane (the terminal program
// prints it line by line). Showing the log in the window stays the writers'
// business, through the window surface.
class LogBook : public QObject {
    Q_OBJECT
public:
    explicit LogBook(QString& text) : m_text(text) {}

    const QString& Text() const { return m_text; }

    // The log starts afresh with text.
    void Restart(const QString& text = QString()) {
        m_text = text;
        emit restarted();
        if (!text.isEmpty())
            emit written(text);
    }
    // text goes at the end of the log.
    void Write(const QString& text) {
        m_text += text;
        emit written(text);
    }

signals:
    void restarted();
    void written(const QString& text);

private:
    QString& m_text;
};

} // namespace kestrel
