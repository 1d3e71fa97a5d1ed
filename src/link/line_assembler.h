#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Cuts the bytes that arrive from the camera into reply lines. A line ends
// with the byte 10; a 13 right before it belongs to the line end. A zero byte
// ends the reply text (the bytes after it up to the line end are dropped). A
// line longer than kMaxLineBytes keeps its first kMaxLineBytes bytes and the
// rest of it is read and dropped, so the exchange stays in step.
class LineAssembler {
public:
    static constexpr std::size_t kMaxLineBytes = 8192;

    // Adds received bytes; every line completed by them is appended to `lines`.
    void Feed(std::string_view bytes, std::vector<std::string>& lines);

    // Forgets a partly received line (the connection ended).
    void Reset();

    // Bytes of the line received so far, counted without the dropped rest.
    std::size_t PendingBytes() const { return m_line.size(); }

private:
    void FinishLine(std::vector<std::string>& lines);

    std::string m_line;          // the line so far, at most kMaxLineBytes + 1 bytes
    std::size_t m_lineBytes = 0; // every byte of the line so far, dropped ones included
    char m_lastByte = 0;         // the byte received last within this line
};

} // namespace kestrel
