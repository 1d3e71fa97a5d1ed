#include "display_check.h"
#include "kestrel_flashtool_app.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (!kestrel::HasDisplay(kestrel::CurrentDisplayEnvironment(argc, argv))) {
        std::fputs(kestrel::NoDisplayMessage().toLocal8Bit().constData(), stderr);
        return 1;
    }
    CKestrel_FlashToolApp app(argc, argv);
    return app.InitInstance();
}
