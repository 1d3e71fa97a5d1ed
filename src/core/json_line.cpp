#include "json_line.h"

#include <QJsonDocument>

namespace kestrel {

QByteArray JsonObjectLine(const QJsonObject& object) {
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    QByteArray line;
    line.reserve(json.size() + 1);
    for (qsizetype i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json.at(i));
        const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json.at(i + 1)) : 0;
        if (byte == 0x7F) {
            line += "\\u007f";
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            // U+0080..U+009F in UTF-8 is C2 80..C2 9F.
            line += QByteArrayLiteral("\\u00") + QByteArray::number(next, 16);
            ++i;
        } else {
            line += static_cast<char>(byte);
        }
    }
    line += '\n';
    return line;
}

} // namespace kestrel
