#include "camera_info_query.h"

#include "busy_gate.h"
#include "byte_view.h"
#include "camera_commands.h"

#include "line_transport.h"
#include "reply_reading.h"
#include "session_events.h"

namespace kestrel {

namespace {

// Camera texts are 8-bit: one byte is one character.
QString Text(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString Text(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

// Only the letters a to z change; every other byte stays as it is.
QByteArray UpperAsciiLetters(QByteArray text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

bool ColourSensor(const QByteArray& reply) {
    return TextAfterFirstSpace(View(reply)) == "1";
}

} // namespace

CameraInfoQuery::CameraInfoQuery(SessionEvents& events, BusyGate& gate, LineTransport& transport)
    : m_events(events), m_gate(gate), m_transport(transport) {}

void CameraInfoQuery::QueryCameraInfo(std::function<void()> done) {
    m_done.push_back(std::move(done));
    if (m_querying)
        return;
    m_querying = true;
    m_generation = m_transport.Generation();
    m_lost = false;
    m_commands = {commands::kSerialNumber, commands::kCameraType, commands::kSensorColor};
    m_commands << commands::kHardwareVersion << commands::kServerVersion;
    m_replies.clear();
    AskNext();
}

void CameraInfoQuery::AskNext() {
    // Once the connection has ended nothing more is asked.
    if (m_lost || m_commands.isEmpty()) {
        Finish();
        return;
    }
    const QByteArray command = m_commands.takeFirst();
    m_gate.SendCommand(command, this, [this, command](const std::optional<QByteArray>& reply) {
        if (!reply || !m_transport.IsOpen() || m_transport.Generation() != m_generation)
            m_lost = true;
        const QByteArray text = reply.value_or(QByteArray());
        m_replies << text;
        if (command == commands::kSensorColor && ColourSensor(text))
            m_commands.prepend(commands::kBayerType);
        AskNext();
    });
}

void CameraInfoQuery::Finish() {
    // The replies in the order asked; those not asked read empty.
    QByteArrayList replies = m_replies;
    const auto next = [&replies] { return replies.isEmpty() ? QByteArray() : replies.takeFirst(); };

    CameraIdentity found;
    const QString serial = Text(TextAfterFirstSpace(View(next())));
    found.serial = serial;
    m_strInfo = QStringLiteral("Camera Serial Number = ") + serial + QStringLiteral("\r\n");

    const std::string_view model = CameraModelName(ReadNumber(TextAfterFirstSpace(View(next()))));
    found.model = Text(model);
    m_strInfo +=
        QStringLiteral("Camera Type               = ") + Text(model) + QStringLiteral("\r\n");

    if (ColourSensor(next())) {
        const std::string_view pattern =
            BayerPatternName(ReadNumber(TextAfterFirstSpace(View(next()))));
        found.sensor = Text(pattern);
        m_strInfo +=
            QStringLiteral("Color Sensor / Bayer   = ") + Text(pattern) + QStringLiteral("\r\n");
    } else {
        found.sensor = QStringLiteral("Mono Sensor");
        m_strInfo += found.sensor + QStringLiteral("\r\n");
    }

    QByteArrayList parts;
    for (qsizetype i = 0; i < commands::kHardwareVersion.size(); ++i)
        parts << next();
    const QByteArray hardware = UpperAsciiLetters(parts.join('.'));
    const QByteArray software = next();
    found.hardware = Text(hardware);
    found.software = Text(software);

    m_strInfo += QStringLiteral("\r\nHardware Firmware (firm.rbf)    = ") + Text(hardware) +
                 QStringLiteral("\r\n");
    m_strInfo += QStringLiteral("Software Firmware  (vx_server) = ") + Text(software);

    if (m_lost) {
        m_strInfo.clear();
        m_strCameraNumber.clear();
        m_identity = {};
    } else {
        m_strCameraNumber = serial;
        m_identity = found;
    }
    m_querying = false;
    std::vector<std::function<void()>> waiting;
    waiting.swap(m_done);
    emit m_events.infoShown(m_strInfo);
    for (const std::function<void()>& done : waiting) {
        if (done)
            done();
    }
}

} // namespace kestrel
