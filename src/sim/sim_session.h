#pragma once

#include "camera_state.h"
#include "paced_writer.h"
#include "sim_options.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;

namespace kestrel::sim {

// One connection to the simulated camera: greets, reads command lines,
// answers each with one line, and applies the fault options, whose counters
// belong to this connection alone.
class SimSession : public QObject {
    Q_OBJECT

public:
    // Takes the socket over; camera outlives the session.
    SimSession(int number, QTcpSocket* socket, const SimOptions& options, CameraState& camera,
               QObject* parent = nullptr);
    ~SimSession() override;

    // Sends the greeting and starts reading.
    void Start();

    // Drops the connection at once, as the camera losing power does: the
    // peer gets a reset, nothing queued goes out, and Ended follows.
    void Drop();

    // Longest command line kept; the rest of a longer one is dropped and the
    // line is answered "ERROR line too long".
    static constexpr qsizetype kMaxCommandBytes = 65536;

signals:
    void LineReceived(int connection, const QByteArray& line);
    void BytesSent(int connection, const QByteArray& bytes);
    void Note(int connection, const QString& text);
    // The connection is gone; the session deletes itself later.
    void Ended(int connection);

private:
    void ReadLines();
    void HandleLine(const QByteArray& line, bool tooLong);
    QByteArray ReplyFor(const QByteArray& line, bool tooLong, int command);
    void Send(const QByteArray& bytes);
    void Close(const QString& why);
    void End();
    QByteArray LineEnd() const;

    const int number_;
    QTcpSocket* socket_;
    const SimOptions& options_;
    CameraState& camera_;
    PacedWriter writer_;
    QByteArray pending_;
    int commands_ = 0;
    bool skippingRestOfLine_ = false;
    bool closing_ = false;
    bool ended_ = false;
};

} // namespace kestrel::sim
