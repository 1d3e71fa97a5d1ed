#pragma once

#include <QFont>

namespace kestrel {

// The font of the tool's dialogs: "MS Shell Dlg 2" (or "MS Shell Dlg") at
// 8 points where the system knows it, otherwise the platform's general sans
// font at 8 points.
QFont DialogFont();

} // namespace kestrel
