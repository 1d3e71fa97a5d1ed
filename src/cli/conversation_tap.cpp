#include "conversation_tap.h"

#include "camera_stack.h"
#include "firmware_run.h"
#include "line_transport.h"
#include "job_state.h"

namespace kestrel::cli {

ConversationTap::ConversationTap(RecordBook* book, int job, JobSink& next)
    : m_book(book), m_job(job), m_next(next) {}

void ConversationTap::Add(RecordBook::Mark mark, const QString& text) {
    m_book->Add(m_job, mark, text);
}

void ConversationTap::Follow(CameraStack& camera) {
    if (!m_book)
        return;
    using Mark = RecordBook::Mark;
    // The camera's bytes are shown as the camera operations read them.
    LineTransport& transport = camera.Transport();
    QObject::connect(&transport, &LineTransport::sent, [this](const QByteArray& bytes) {
        Add(Mark::Sent, QString::fromLatin1(bytes.endsWith("\r\n") ? bytes.chopped(2) : bytes));
    });
    QObject::connect(&transport, &LineTransport::lineReceived, [this](const QByteArray& line) {
        Add(Mark::Received, QString::fromLatin1(line));
    });
    QObject::connect(&transport, &LineTransport::opened,
                     [this] { Add(Mark::Event, QStringLiteral("connected")); });
    QObject::connect(&transport, &LineTransport::connectionLost, [this](const QString& reason) {
        Add(Mark::Event, QStringLiteral("connection lost: ") + reason);
    });
    QObject::connect(&camera.Run(), &FirmwareRun::reconnected, [this] {
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
