#include "conversation_tap.h"

#include "camera.h"

namespace kestrel::cli {

ConversationTap::ConversationTap(RecordBook* book, int job, JobSink& next)
    : m_book(book), m_job(job), m_next(next) {}

void ConversationTap::Add(RecordBook::Mark mark, const QString& text) {
    m_book->Add(m_job, mark, text);
}

void ConversationTap::Follow(Camera& camera) {
    if (!m_book)
        return;
    using Mark = RecordBook::Mark;
    // The camera's bytes are shown as the camera operations read them.
    QObject::connect(&camera, &Camera::lineSent, &m_context, [this](const QByteArray& bytes) {
        Add(Mark::Sent, QString::fromLatin1(bytes.endsWith("\r\n") ? bytes.chopped(2) : bytes));
    });
    QObject::connect(&camera, &Camera::lineReceived, &m_context, [this](const QByteArray& line) {
        Add(Mark::Received, QString::fromLatin1(line));
    });
    QObject::connect(&camera, &Camera::opened, &m_context,
                     [this] { Add(Mark::Event, QStringLiteral("connected")); });
    QObject::connect(&camera, &Camera::connectionLost, &m_context, [this](const QString& reason) {
        Add(Mark::Event, QStringLiteral("connection lost: ") + reason);
    });
    QObject::connect(&camera, &Camera::reconnected, &m_context, [this] {
        Add(Mark::Event, QStringLiteral("reconnected, following the run"));
    });
}

void ConversationTap::Post(const JobEvent& event) {
    if (m_book && event.kind == JobEvent::Kind::State && m_state != event.state) {
        m_state = event.state;
        Add(RecordBook::Mark::Event, QStringLiteral("phase: ") + StateLabel(event.state));
    }
    if (m_book && event.kind == JobEvent::Kind::Connected) {
        m_book->Name(m_job, event.identity.serial);
        Add(RecordBook::Mark::Event,
            event.runInProgress ? QStringLiteral("the camera is programming its flash memory")
                                : QStringLiteral("serial number ") + event.identity.serial);
    }
    m_next.Post(event);
}

} // namespace kestrel::cli
