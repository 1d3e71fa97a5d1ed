#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

// `kestrel-flash history`: the operations of the bench's history, newest
// first, as a table, CSV or JSON lines, or the check of its chain. It reads
// the history at once, without an event loop: nothing else runs meanwhile.
namespace kestrel {

// What the command line gave, as given: the terminal program declares the
// options and hands their values here, where they are checked.
struct HistoryArgs {
    QString historyFile; // --history FILE; empty: KESTREL_FLASH_HISTORY, else the usual file
    QStringList serial;  // the values of each option, in the order given
    QStringList since;
    QStringList until;
    QStringList result;
    QStringList last;
    bool csv = false;
    bool json = false;
    bool verify = false;
    QStringList resultCodes; // the result table's codes, the ones --result may name
};

// Writes the operations or the verdict to out and what went wrong to err;
// returns the exit status: 0 done (also when the history does not exist
// yet), 1 the history could not be read or its chain does not hold, 2 a
// usage error.
int HistoryCommand(const HistoryArgs& args, std::FILE* out, std::FILE* err);

} // namespace kestrel
