#pragma once

#include "hw_version.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kestrel::sim {

// A reply that replaces the camera's own answer to one command. The command
// still takes effect (CAM_FIRMWAREUPDATE 0 still starts a run); only the
// answer changes.
struct FixedReply {
    QByteArray command; // matched without regard to case
    QByteArray text;    // sent as it is, followed by the line end
};

// Everything the simulated camera can be told. The defaults are those of a
// real VX340 camera with a colour sensor.
struct SimOptions {
    // Where the program listens; SimThread::Start takes its own address and
    // port. quiet: the program prints only where it listens and errors.
    QHostAddress listenAddress = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 5000;
    bool quiet = false;
    // How many cameras the program serves: the first on port, each further
    // one on the next port, its serial number counted on from serial's. Each
    // has its own state, connections and power cycle; the other options are
    // the same for all.
    int cameras = 1;

    // Who the camera is.
    QByteArray greeting = "KESTREL VX CAMERA SERVER READY";
    QByteArray serial = "21040017";
    int cameraType = 7;
    bool colorSensor = true;
    int bayerType = 2;
    HwVersion hwVersion{{"1", "2a", "3f"}};
    // After a completed run; its parts may be any text (--new-hw-reply), for
    // a camera that answers its version registers with something else.
    HwVersion newHwVersion{{"1", "2b", "05"}};
    QByteArray serverVersion = "vx_server 3.8.2 build 1187";

    // The programming run: the erase phase, then the programming phase, then
    // the final figures for the linger time. Progress follows elapsed time.
    int eraseTotal = 155;
    int eraseMs = 20000;
    int programTotal = 20000;
    int programMs = 25000;
    int lingerMs = 3000;
    int startDelayMs = 0;              // "0 0 0 0" this long after CAM_FIRMWAREUPDATE 0
    bool runInProgress = false;        // a run is already going when the server starts
    std::optional<int> stallAtPercent; // programming stops rising here, for ever
    std::optional<int> abortAtPercent; // the camera gives the run up here

    // The operator's power cycle after a finished run (not an aborted one):
    // this long after the run the camera goes off, its connections reset and
    // new ones refused, and powerOffMs later it listens again, on the same
    // address and port, with the new version. Off: the camera stays on.
    std::optional<int> powerCycleAfterMs;
    int powerOffMs = 2000;

    // Faults, counted per connection over its commands, the first being 1.
    std::optional<int> closeAfter;         // answer this many, then close
    std::optional<int> closeMidReplyAt;    // half this reply, then close
    std::optional<int> stopAnsweringAfter; // answer this many, then stay silent
    bool noGreeting = false;
    int slowBytesMs = 0; // > 0: every byte sent alone, this far apart
    std::optional<int> garbageAt;
    std::optional<int> overlongAt;
    int overlongLength = 10000;
    bool bareLf = false;            // lines end with LF alone instead of CR LF
    QList<FixedReply> fixedReplies; // the last one for a command counts

    // The short run for tests: erase 0.4 s, program 0.6 s, linger 0.5 s.
    void UseFastTiming();

    // The options of camera index (0 is the first): the serial counted on.
    SimOptions ForCamera(int index) const;
};

// A serial number counted on by steps: its trailing decimal digits count up
// as one number, their width kept with leading zeros ("0099" + 1 is
// "0100") and widened when they run over ("99" + 1 is "100"). A serial
// without trailing digits gets steps as a number appended.
QByteArray CountedSerial(const QByteArray& serial, int steps);

// What ParseSimOptions found.
struct ParsedSimOptions {
    SimOptions options;
    bool helpRequested = false;
    QString error; // empty when every argument was good; options count only then
};

// Reads the program's command line; arguments.first() is the program name,
// as in QCoreApplication::arguments().
ParsedSimOptions ParseSimOptions(const QStringList& arguments);

// The --help text of kestrel-camera-sim.
QString SimOptionsHelp();

} // namespace kestrel::sim
