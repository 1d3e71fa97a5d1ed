#pragma once

#include "history_operation.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// One line of comma-separated values as RFC 4180 writes it: a field holding
// a comma, a double quote, CR or LF is put in double quotes, its double
// quotes doubled; the line ends with CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

// A duration in seconds with its tenths, "95.0".
std::string FormatSeconds(std::int64_t ms);

// The columns of the history's export, and an operation's fields in them.
std::vector<std::string> OperationCsvHeader();
std::vector<std::string> OperationCsvFields(const Operation& operation);

// The export of the operations: the header's line, then one line each, in
// the order given.
std::string OperationsCsv(const std::vector<Operation>& operations);

} // namespace kestrel
