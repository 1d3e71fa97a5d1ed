#pragma once

#include "cli_options.h"
#include "job_record.h"

#include <QList>

namespace kestrel::cli {

// The summary at the end: each job's name, serial, result and time, then the
// reasons of the failures; texts from cameras escaped. The jobs of stage are
// copies onto sticks, named by their folders, those of verify checks of
// files, named by the files: neither has a serial number.
QString SummaryTable(const QList<JobRecord>& jobs, Command command = Command::Info);

} // namespace kestrel::cli
