#include "connection_reset.h"

#include <QTcpSocket>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace kestrel::sim {

void ResetConnection(QTcpSocket& socket) {
    // Qt has no option for SO_LINGER; a zero linger time makes the close
    // below send a reset.
    const qintptr descriptor = socket.socketDescriptor();
    if (descriptor != -1) {
        linger off{};
        off.l_onoff = 1;
        off.l_linger = 0;
#ifdef Q_OS_WIN
        ::setsockopt(static_cast<SOCKET>(descriptor), SOL_SOCKET, SO_LINGER,
                     reinterpret_cast<const char*>(&off), sizeof off);
#else
        ::setsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_LINGER, &off, sizeof off);
#endif
    }
    socket.abort();
}

} // namespace kestrel::sim
