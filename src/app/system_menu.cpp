#include "system_menu.h"

#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kestrel {

#ifdef Q_OS_WIN

bool AppendAboutToSystemMenu(QWidget& window, const QString& text) {
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
    if (menu == nullptr || text.isEmpty())
        return false;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kAboutBoxCommand, reinterpret_cast<LPCWSTR>(text.utf16()));
    return true;
}

bool AppendItemToSystemMenu(QWidget& window, unsigned command, const QString& text) {
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
    if (menu == nullptr || text.isEmpty())
        return false;
    AppendMenuW(menu, MF_STRING, command, reinterpret_cast<LPCWSTR>(text.utf16()));
    return true;
}

bool IsAboutSystemCommand(const QByteArray& eventType, const void* message) {
    return IsSystemCommand(eventType, message, kAboutBoxCommand);
}

bool IsSystemCommand(const QByteArray& eventType, const void* message, unsigned command) {
    if (eventType != "windows_generic_MSG" || message == nullptr)
        return false;
    const auto* msg = static_cast<const MSG*>(message);
    return msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == command;
}

#else

bool AppendAboutToSystemMenu(QWidget&, const QString&) {
    return false;
}

bool AppendItemToSystemMenu(QWidget&, unsigned, const QString&) {
    return false;
}

bool IsAboutSystemCommand(const QByteArray&, const void*) {
    return false;
}

bool IsSystemCommand(const QByteArray&, const void*, unsigned) {
    return false;
}

#endif

} // namespace kestrel
