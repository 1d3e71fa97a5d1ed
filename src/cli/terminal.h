#pragma once

#include <QString>

#include <cstdio>

namespace kestrel::cli {

// True when the stream is a terminal (not a pipe or a file).
bool IsTerminal(std::FILE* stream);

// The terminal's width in columns; 80 when it cannot be told.
int TerminalWidth(std::FILE* stream);

// The terminal's height in lines; 24 when it cannot be told.
int TerminalHeight(std::FILE* stream);

// Lets the terminal act on cursor movement sequences; false when it cannot.
bool EnableTerminalSequences(std::FILE* stream);

// Text for the terminal that may hold bytes a camera sent: every control
// character (C0, DEL and C1, which includes the escape that starts terminal
// sequences) is shown as \xNN, so nothing from the network can move the
// cursor, change colours or retitle the window. A tab becomes a space.
QString Escaped(const QString& text);

// Writes UTF-8 text to a stream and flushes it.
void WriteText(std::FILE* stream, const QString& text);

// A duration as m:ss (or h:mm:ss from one hour on).
QString Duration(qint64 ms);

} // namespace kestrel::cli
