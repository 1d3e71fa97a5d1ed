#pragma once

#include <QObject>
#include <QString>

namespace kestrel::sim {

class CameraSimServer;

// Prints what the server does to standard output, one time-stamped line per
// event: "12:08:01.123 #1 <- CAM_GETSERIALNUMBER" for a line received,
// "#1 -> ..." for a line sent, control bytes escaped. Runs, power cycles and
// notes about the camera as a whole have no connection number.
class ConsoleLog : public QObject {
    Q_OBJECT

public:
    ConsoleLog(CameraSimServer& server, QObject* parent = nullptr);

    // Longest part of a sent or received line printed; the rest is counted.
    static constexpr qsizetype kMaxShownBytes = 200;

    static void Print(const QString& text);

private:
    static void PrintFor(int connection, const QString& text);
};

} // namespace kestrel::sim
