#include "display_check.h"

#include <QtGlobal>

#include <cstring>

namespace kestrel {

DisplayEnvironment CurrentDisplayEnvironment(int argc, char** argv) {
    DisplayEnvironment environment;
    environment.platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            environment.platform = QString::fromLocal8Bit(argv[i + 1]);
    }
    environment.display = qEnvironmentVariable("DISPLAY");
    environment.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    return environment;
}

bool HasDisplay(const DisplayEnvironment& environment) {
#if defined(Q_OS_LINUX)
    // The platform name may carry options after a colon ("offscreen:...") and
    // may list fallbacks separated by semicolons; the first one is tried first.
    const QString platform = environment.platform.section(u';', 0, 0).section(u':', 0, 0);
    const bool needsDisplay =
        platform.isEmpty() || platform == u"xcb" || platform.startsWith(u"wayland");
    return !needsDisplay || !environment.display.isEmpty() || !environment.waylandDisplay.isEmpty();
#else
    Q_UNUSED(environment);
    return true;
#endif
}

QString NoDisplayMessage() {
    return QStringLiteral("Kestrel_FlashTool: there is no display to show the window on "
                          "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                          "Run it under a virtual X server instead:\n"
                          "    xvfb-run -a build/default/src/app/Kestrel_FlashTool\n");
}

} // namespace kestrel
