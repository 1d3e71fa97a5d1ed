#pragma once

#include "history_operation.h"

#include <QJsonObject>
#include <QString>

// The history for scripts: the objects of `kestrel-flash history --json`,
// described by schema/kestrel-flash.schema.json ("historyOperation",
// "historyVerdict").
namespace kestrel {

// One operation: "event": "operation", its begin event's id and its
// operation id (unique among all benches), the bench, and what it did.
QJsonObject OperationJson(const Operation& operation);

// The chain's check: "event": "verify", whether it holds, the events found
// intact, and the sentence for the operator.
QJsonObject VerdictJson(bool ok, qint64 checked, const QString& detail);

} // namespace kestrel
