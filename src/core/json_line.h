#pragma once

#include <QByteArray>
#include <QJsonObject>

namespace kestrel {

// The version of the JSON objects kestrel-flash writes for scripts ("schema"
// in each object): raised only when a field's meaning changes or a field goes.
inline constexpr int kJsonSchema = 1;

// One JSON object as one line, ending in a newline. Besides what JSON itself
// escapes, DEL and the C1 controls are written as \u00NN, so that the line is
// also safe to show on a terminal.
QByteArray JsonObjectLine(const QJsonObject& object);

} // namespace kestrel
