#include "escapes.h"

namespace kestrel::sim {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

QString EscapeBytes(const QByteArray& bytes) {
    static const char kHex[] = "0123456789abcdef";
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += QLatin1String("\\\\");
        } else if (c == '\r') {
            out += QLatin1String("\\r");
        } else if (c == '\n') {
            out += QLatin1String("\\n");
        } else if (c == '\t') {
            out += QLatin1String("\\t");
        } else if (byte >= 0x20 && byte < 0x7f) {
            out += QLatin1Char(c);
        } else {
            out += QLatin1String("\\x");
            out += QLatin1Char(kHex[byte >> 4]);
            out += QLatin1Char(kHex[byte & 0x0f]);
        }
    }
    return out;
}

std::optional<QByteArray> DecodeEscapes(const QByteArray& text, QString* error) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 >= text.size()) {
            *error = QStringLiteral("a backslash stands last (write \\\\ for a backslash)");
            return std::nullopt;
        }
        const char kind = text.at(++i);
        switch (kind) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case 'x': {
            const int high = i + 1 < text.size() ? HexValue(text.at(i + 1)) : -1;
            const int low = i + 2 < text.size() ? HexValue(text.at(i + 2)) : -1;
            if (high < 0 || low < 0) {
                *error = QStringLiteral("\\x must be followed by two hex digits");
                return std::nullopt;
            }
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            *error = QStringLiteral("unknown escape \\%1 (known: \\r \\n \\t \\\\ \\xNN)")
                         .arg(QString::fromLatin1(&kind, 1));
            return std::nullopt;
        }
    }
    return out;
}

} // namespace kestrel::sim
