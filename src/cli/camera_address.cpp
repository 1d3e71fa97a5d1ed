#include "camera_address.h"

#include <QRegularExpression>

#include <algorithm>

namespace kestrel::cli {

namespace {

// Letters, digits, dots and hyphens: a host name or a dotted IPv4 address.
bool IsHostName(const QString& host) {
    static const QRegularExpression pattern(
        QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?"
                       "(\\.[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?)*\\.?$"));
    return host.size() <= 253 && pattern.match(host).hasMatch();
}

// All digits and dots: meant as an IPv4 address, so it must be a valid one.
bool LooksNumeric(const QString& host) {
    for (const QChar c : host) {
        if (!c.isDigit() && c != QLatin1Char('.'))
            return false;
    }
    return true;
}

bool IsIpv4(const QString& host) {
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        bool ok = false;
        if (part.toInt(&ok) > 255 || !ok)
            return false;
    }
    return true;
}

} // namespace

std::optional<CameraAddress> ParseCameraAddress(const QString& text, quint16 defaultPort,
                                                QString* error) {
    auto fail = [&](const QString& why) -> std::optional<CameraAddress> {
        if (error)
            *error = QStringLiteral("bad camera address \"%1\": %2").arg(text, why);
        return std::nullopt;
    };
    CameraAddress address;
    address.port = defaultPort;
    QString host = text;
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        if (text.indexOf(QLatin1Char(':'), colon + 1) >= 0)
            return fail(QStringLiteral("expected HOST or HOST:PORT"));
        host = text.left(colon);
        const QString portText = text.mid(colon + 1);
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        const bool digitsOnly =
            !portText.isEmpty() &&
            std::all_of(portText.begin(), portText.end(), [](QChar c) { return c.isDigit(); });
        if (!digitsOnly || !ok || port == 0 || port > 65535)
            return fail(QStringLiteral("the port must be a number from 1 to 65535"));
        address.port = static_cast<quint16>(port);
    }
    if (host.isEmpty())
        return fail(QStringLiteral("no host"));
    if (LooksNumeric(host) ? !IsIpv4(host) : !IsHostName(host))
        return fail(QStringLiteral("not an IPv4 address or host name"));
    address.host = host;
    return address;
}

} // namespace kestrel::cli
