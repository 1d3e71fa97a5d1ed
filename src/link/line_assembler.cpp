#include "line_assembler.h"

#include <algorithm>

namespace kestrel {

void LineAssembler::Feed(std::string_view bytes, std::vector<std::string>& lines) {
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        // Keep one byte beyond the limit: it may be the 13 of the line end.
        const std::size_t room = kMaxLineBytes + 1 - m_line.size();
        m_line.append(piece.substr(0, std::min(room, piece.size())));
        m_lineBytes += piece.size();
        if (!piece.empty())
            m_lastByte = piece.back();
        if (end == std::string_view::npos)
            return;
        FinishLine(lines);
        bytes.remove_prefix(end + 1);
    }
}

void LineAssembler::FinishLine(std::vector<std::string>& lines) {
    std::size_t length = m_lineBytes;
    if (length > 0 && m_lastByte == '\r')
        --length;
    length = std::min({length, kMaxLineBytes, m_line.size()});
    std::string text = m_line.substr(0, length);
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    lines.push_back(std::move(text));
    Reset();
}

void LineAssembler::Reset() {
    m_line.clear();
    m_lineBytes = 0;
    m_lastByte = 0;
}

} // namespace kestrel
