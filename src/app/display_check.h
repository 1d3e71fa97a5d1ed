#pragma once

#include <QString>

namespace kestrel {

// What decides whether the window can be shown at all.
struct DisplayEnvironment {
    QString platform;       // the Qt platform asked for ("-platform" or QT_QPA_PLATFORM)
    QString display;        // DISPLAY
    QString waylandDisplay; // WAYLAND_DISPLAY
};

// Reads the environment and the command line, before any Qt application
// object exists.
DisplayEnvironment CurrentDisplayEnvironment(int argc, char** argv);

// False on a Linux desktop platform (X11 or Wayland, the default) without a
// display to connect to; true wherever Qt can start, for example with the
// offscreen platform, and always on Windows and macOS.
bool HasDisplay(const DisplayEnvironment& environment);

// The plain message printed instead of starting without a display.
QString NoDisplayMessage();

} // namespace kestrel
