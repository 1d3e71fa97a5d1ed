#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kestrel::sim {

// Shows bytes as one readable line: printable ASCII as it is, a backslash
// doubled, CR, LF and tab as \r \n \t, and every other byte as \xNN.
QString EscapeBytes(const QByteArray& bytes);

// Turns the escapes \r \n \t \\ and \xNN (two hex digits) into their bytes;
// every other byte stays as it is. A backslash followed by anything else, or
// standing last, is an error: nullopt, with the reason in *error.
std::optional<QByteArray> DecodeEscapes(const QByteArray& text, QString* error);

} // namespace kestrel::sim
