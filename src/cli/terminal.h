#pragma once

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

} // namespace kestrel::cli
