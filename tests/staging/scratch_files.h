#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kestrel::test {

// Writes content to path, replacing what was there; false if it cannot.
[[nodiscard]] bool WriteFile(const QString& path, const QByteArray& content);

// size bytes that differ from one seed to another.
QByteArray PatternBytes(qsizetype size, quint32 seed);

// The whole content of a file; a null array if it cannot be read.
QByteArray ReadAll(const QString& path);

// The names in a folder, hidden ones included, sorted.
QStringList FolderEntries(const QString& folder);

// The system's text for an errno value, as the copy reports it.
QString SystemText(int error);

// True when the tests run with root's powers (file permissions do not hold).
bool RunningAsRoot();

} // namespace kestrel::test
