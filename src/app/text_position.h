#pragma once

#include <QString>

namespace kestrel {

// A text pane holds a "\r\n" line end as one paragraph break. Maps an index
// into the text as given (where "\r\n" takes two characters) to the position
// in the pane; an index between '\r' and '\n' maps to the start of the next
// line, an index beyond the text to its end.
qsizetype PanePosition(const QString& text, qsizetype index);

} // namespace kestrel
