// A fault that only a Windows build can see: the syntax check must refuse it.
#ifdef _WIN32
#include <windows.h>

unsigned long MillisecondsSinceStart() {
    return GetTickCount(0);
}
#endif
