#include "terminal.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace kestrel::cli {

namespace {
constexpr int kDefaultWidth = 80;
constexpr int kDefaultHeight = 24;
} // namespace

#ifdef _WIN32

bool IsTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

int TerminalWidth(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (!GetConsoleScreenBufferInfo(handle, &info))
        return kDefaultWidth;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

int TerminalHeight(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (!GetConsoleScreenBufferInfo(handle, &info))
        return kDefaultHeight;
    return info.srWindow.Bottom - info.srWindow.Top + 1;
}

bool EnableTerminalSequences(std::FILE* stream) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (!GetConsoleMode(handle, &mode))
        return false;
    return SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

#else

bool IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

int TerminalWidth(std::FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return kDefaultWidth;
    return size.ws_col;
}

int TerminalHeight(std::FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) != 0 || size.ws_row == 0)
        return kDefaultHeight;
    return size.ws_row;
}

bool EnableTerminalSequences(std::FILE*) {
    return true;
}

#endif

} // namespace kestrel::cli
