#pragma once

#include "sim_options.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace kestrel::test {

// What one run of kestrel-flash gave.
struct FlashRun {
    bool finished = false; // ended by itself within the time allowed
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QStringList OutLines() const;
    // Standard output read as one JSON object per line; a line that is not an
    // object, or does not match schema/kestrel-flash.schema.json, gives an
    // empty list and fails the test that reads it.
    QList<QJsonObject> JsonLines() const;
};

// Every line of --json output matches the program's JSON schema (checked by
// python3-jsonschema); the faults go to the test's log.
bool MatchesSchema(const QByteArray& lines);

// Runs the program with these arguments, standard output a pipe (not a
// terminal), and waits up to timeoutMs for it to end. Its history
// (KESTREL_FLASH_HISTORY) is a file of this test process's own.
FlashRun RunFlash(const QStringList& arguments, int timeoutMs = 60000);

// "127.0.0.1:PORT", an address of a simulator in this test.
QString Loopback(quint16 port);
// A port on which nothing listens: one the system just gave and took back.
quint16 ClosedPort();

// A simulated camera with a short run. The tool pauses a second between the
// two phases: the programming phase lasts longer, as on a camera, so that its
// end is seen.
sim::SimOptions FlashCamera(const QByteArray& serial = "21040017");

// The summary's entry of one job, from a run with --json; empty when there is
// no summary.
QJsonObject SummaryJob(const FlashRun& run, int job = 0);

} // namespace kestrel::test
