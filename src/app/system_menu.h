#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

namespace kestrel {

// The command of the About item in a window's system menu.
inline constexpr unsigned kAboutBoxCommand = 0x0010;
// The command of the Find cameras item beside it.
inline constexpr unsigned kFindCamerasCommand = 0x0020;
// The command of the History item after it.
inline constexpr unsigned kHistoryCommand = 0x0030;

// Appends a separator and an item with kAboutBoxCommand and the given text to
// the window's system menu. Returns false where the platform has no system
// menu of its own (everywhere but Windows).
bool AppendAboutToSystemMenu(QWidget& window, const QString& text);
// Appends an item with command and text, after the About item.
bool AppendItemToSystemMenu(QWidget& window, unsigned command, const QString& text);

// True when a native event is the system-menu command kAboutBoxCommand.
bool IsAboutSystemCommand(const QByteArray& eventType, const void* message);
// True when a native event is the system-menu command given.
bool IsSystemCommand(const QByteArray& eventType, const void* message, unsigned command);

} // namespace kestrel
