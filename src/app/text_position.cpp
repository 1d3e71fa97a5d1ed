#include "text_position.h"

#include <algorithm>

namespace kestrel {

qsizetype PanePosition(const QString& text, qsizetype index) {
    const qsizetype end = std::clamp<qsizetype>(index, 0, text.size());
    qsizetype position = 0;
    for (qsizetype i = 0; i < end; ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i; // the pair is one break; an index on its '\n' lands after it
        ++position;
    }
    return position;
}

} // namespace kestrel
