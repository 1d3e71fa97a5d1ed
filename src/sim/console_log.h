#pragma once

#include <QObject>
#include <QString>

namespace kestrel::sim {

class CameraSimServer;
class SimCameras;

// Prints what the cameras do to standard output, one time-stamped line per
// event: "12:08:01.123 #1 <- CAM_GETSERIALNUMBER" for a line received,
// "#1 -> ..." for a line sent, control bytes escaped. Runs, power cycles and
// notes about the camera as a whole have no connection number. With more
// than one camera each line starts with the camera's port: "port 5001 #1
// <- ...".
class ConsoleLog : public QObject {
    Q_OBJECT

public:
    explicit ConsoleLog(const SimCameras& cameras, QObject* parent = nullptr);

    // Longest part of a sent or received line printed; the rest is counted.
    static constexpr qsizetype kMaxShownBytes = 200;

    static void Print(const QString& text);

private:
    void Follow(const CameraSimServer& server, bool namePort);
    static void PrintFor(const CameraSimServer* named, int connection, const QString& text);
};

} // namespace kestrel::sim
