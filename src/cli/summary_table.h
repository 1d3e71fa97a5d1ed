#pragma once

#include "job_record.h"

#include <QList>

namespace kestrel::cli {

// The summary at the end: each job's name, serial, result and time, then the
// reasons of the failures; texts from cameras escaped. copies: the jobs are
// copies onto sticks, named by their folders.
QString SummaryTable(const QList<JobRecord>& jobs, bool copies = false);

} // namespace kestrel::cli
