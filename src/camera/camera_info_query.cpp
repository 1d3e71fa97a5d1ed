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

} // namespace

CameraInfoQuery::CameraInfoQuery(SessionEvents& events, BusyGate& gate,
                                 LineTransport& transport)
    : m_events(events), m_gate(gate), m_transport(transport) {}

QByteArray CameraInfoQuery::Ask(const QByteArray& command) {
    if (m_lost)
        return {};
    const bool wasOpen = m_transport.IsOpen();
    const QByteArray reply = m_gate.SendCommand(command);
    if (!wasOpen || !m_transport.IsOpen())
        m_lost = true;
    return reply;
}

void CameraInfoQuery::QueryCameraInfo() {
    m_lost = false;
    CameraIdentity found;
    const QByteArray serialReply = Ask(commands::kSerialNumber);
    const QString serial = Text(TextAfterFirstSpace(View(serialReply)));
    found.serial = serial;
    m_strInfo = QStringLiteral("Camera Serial Number = ") + serial + QStringLiteral("\r\n");

    const QByteArray typeReply = Ask(commands::kCameraType);
    const std::string_view model =
        CameraModelName(ReadNumber(TextAfterFirstSpace(View(typeReply))));
    found.model = Text(model);
    m_strInfo +=
        QStringLiteral("Camera Type               = ") + Text(model) + QStringLiteral("\r\n");

    const QByteArray colorReply = Ask(commands::kSensorColor);
    if (TextAfterFirstSpace(View(colorReply)) == "1") {
        const QByteArray bayerReply = Ask(commands::kBayerType);
        const std::string_view pattern =
            BayerPatternName(ReadNumber(TextAfterFirstSpace(View(bayerReply))));
        found.sensor = Text(pattern);
        m_strInfo +=
            QStringLiteral("Color Sensor / Bayer   = ") + Text(pattern) + QStringLiteral("\r\n");
    } else {
        found.sensor = QStringLiteral("Mono Sensor");
        m_strInfo += found.sensor + QStringLiteral("\r\n");
    }

    QByteArrayList parts;
    for (const QByteArray& part : commands::kHardwareVersion)
        parts << Ask(part);
    QByteArray hardware = parts.join('.');
    hardware = UpperAsciiLetters(hardware);

    const QByteArray software = Ask(commands::kServerVersion);
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
    emit m_events.infoShown(m_strInfo);
}

} // namespace kestrel
