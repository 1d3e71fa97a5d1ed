#pragma once

#include <QString>

namespace kestrel {

// The history file to use: the one given for this command (--history FILE)
// when there is one, else KESTREL_FLASH_HISTORY when it is set and not empty,
// else history.sqlite in the folder Kestrel_FlashTool below the platform's
// application data folder (~/.local/share/Kestrel_FlashTool/ on Linux,
// %LOCALAPPDATA%\Kestrel_FlashTool\ on Windows). The default is the same for
// both faces, whatever their programs are called.
QString HistoryPath(const QString& given = QString());

// Whether the path is the default one, whose folder is made when missing.
bool IsDefaultHistoryPath(const QString& given);

} // namespace kestrel
