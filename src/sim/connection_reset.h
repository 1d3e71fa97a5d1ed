#pragma once

class QTcpSocket;

namespace kestrel::sim {

// Drops the connection the way a camera that loses power looks to its peer:
// the socket closes at once with lingering off, so the peer gets a reset
// (RST) instead of an orderly close, and nothing still queued goes out.
// Where lingering cannot be switched off the close is an ordinary abort.
void ResetConnection(QTcpSocket& socket);

} // namespace kestrel::sim
