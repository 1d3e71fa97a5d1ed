#pragma once

#include <QRect>
#include <QSize>

#include <span>

namespace kestrel {

enum class ControlKind { PushButton, Static, Pane, ProgressBar, IpAddress };

// One control of the main window as its template lists it: the rectangle is
// in dialog units (x, y, width, height).
struct ControlTemplate {
    ControlKind kind;
    const char* id;             // the control's IDC_ name; empty for statics
    const char* caption;        // shown text; empty where the control has none
    const char* accessibleName; // what assistive tools announce
    QRect rect;
};

// The main window's client size in dialog units.
inline constexpr QSize kMainDialogSize{252, 433};

// The controls in template order, which is also the tab order.
std::span<const ControlTemplate> MainDialogTemplate();

} // namespace kestrel
