#include "reply_checks.h"

#include "reply_reading.h"
#include "require.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::fuzz {

namespace {

using Limits = std::numeric_limits<std::int32_t>;

// The C library's own reading of a decimal number (leading blanks, a sign,
// digits), held to the 32-bit range. A zero byte ends the digits there too.
std::int32_t LibraryNumber(std::string_view text) {
    const std::string copy(text);
    const long long value = std::strtoll(copy.c_str(), nullptr, 10);
    if (value > Limits::max())
        return Limits::max();
    if (value < Limits::min())
        return Limits::min();
    return static_cast<std::int32_t>(value);
}

// Numbers for the arithmetic readers, taken from the input's own bytes.
class NumberSource {
public:
    explicit NumberSource(std::string_view bytes) : m_bytes(bytes) {}
    std::int32_t Next() {
        std::uint32_t raw = 0;
        for (int i = 0; i < 4; ++i) {
            const std::size_t at = m_next++;
            const auto byte = at < m_bytes.size() ? static_cast<unsigned char>(m_bytes[at]) : 0u;
            raw = raw << 8 | byte;
        }
        std::int32_t value = 0;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }

private:
    std::string_view m_bytes;
    std::size_t m_next = 0;
};

void CheckTextAfterFirstSpace(std::string_view reply) {
    const std::string_view after = TextAfterFirstSpace(reply);
    // A view into the reply itself, ending where the reply ends.
    Require(after.size() <= reply.size());
    Require(after.data() == reply.data() + (reply.size() - after.size()));
    const std::size_t space = reply.find(' ');
    if (space == std::string_view::npos)
        Require(after.size() == reply.size());
    else
        Require(after.size() == reply.size() - space - 1);
}

void CheckReadNumber(std::string_view text, std::int32_t seed) {
    Require(ReadNumber(text) == LibraryNumber(text));
    // Any 32-bit number written in decimal reads back, blanks before it and
    // a non-digit after it included.
    const std::string written = std::to_string(seed);
    Require(ReadNumber(written) == seed);
    Require(ReadNumber(" \t\r\n\v\f" + written + "x" + std::string(text)) == seed);
}

void CheckName(std::string_view name, std::int32_t number) {
    // Names are short printable words, and only small numbers have one.
    Require(name.size() <= 16);
    for (const char c : name)
        Require(c > ' ' && c < 127);
    Require(name.empty() || (number >= 0 && number < 256));
}

void CheckNames(std::int32_t number) {
    const std::string_view model = CameraModelName(number);
    CheckName(model, number);
    Require(model.empty() || model.substr(0, 2) == "VX");
    Require(CameraModelName(number) == model);

    const std::string_view bayer = BayerPatternName(number);
    CheckName(bayer, number);
    if (!bayer.empty()) {
        // A 2 x 2 colour filter: two greens on a diagonal, one red, one blue.
        Require(bayer.size() == 4);
        const bool greenDiagonal =
            (bayer[0] == 'G' && bayer[3] == 'G') || (bayer[1] == 'G' && bayer[2] == 'G');
        Require(greenDiagonal);
        const std::string sorted = {bayer[0] == 'G' ? bayer[1] : bayer[0],
                                    bayer[0] == 'G' ? bayer[2] : bayer[3]};
        Require(sorted == "RB" || sorted == "BR");
    }
    Require(BayerPatternName(number) == bayer);
}

// The four counters as the reading rule fills them from the reply: field k
// (1 to 3) is the text between the k-th space and the next one, empty when
// there is no next one; field 4 is read from everything after the fourth
// space. Fields the reply does not reach are absent.
std::array<std::optional<std::int32_t>, 4> ExpectedCounters(std::string_view reply) {
    std::vector<std::size_t> spaces;
    for (std::size_t i = 0; i < reply.size(); ++i) {
        if (reply[i] == ' ')
            spaces.push_back(i);
    }
    std::array<std::optional<std::int32_t>, 4> counters;
    for (std::size_t k = 1; k <= 4 && k <= spaces.size(); ++k) {
        const std::size_t start = spaces[k - 1] + 1;
        if (k == 4)
            counters[k - 1] = LibraryNumber(reply.substr(start));
        else if (k < spaces.size())
            counters[k - 1] = LibraryNumber(reply.substr(start, spaces[k] - start));
        else
            counters[k - 1] = 0;
    }
    return counters;
}

std::array<std::int32_t, 4> Counters(const UpdateStatus& status) {
    return {status.nEraseTotal, status.nEraseDone, status.nProgramTotal, status.nProgramDone};
}

void CheckParseUpdateStatus(std::string_view reply, NumberSource& numbers) {
    // The record sits between two guard words that must survive.
    struct Guarded {
        std::uint64_t before;
        UpdateStatus status;
        std::uint64_t after;
    };
    constexpr std::uint64_t kGuard = 0xA5C3'96F0'0F69'3C5AULL;
    const std::array<std::int32_t, 4> startA{-7777, 1, Limits::max(), Limits::min()};
    const std::array<std::int32_t, 4> startB{numbers.Next(), numbers.Next(), numbers.Next(),
                                             numbers.Next()};
    const std::array<std::optional<std::int32_t>, 4> expected = ExpectedCounters(reply);
    for (const auto& start : {startA, startB}) {
        Guarded guarded{kGuard, {start[0], start[1], start[2], start[3]}, kGuard};
        ParseUpdateStatus(reply, guarded.status);
        Require(guarded.before == kGuard && guarded.after == kGuard);
        const std::array<std::int32_t, 4> got = Counters(guarded.status);
        for (std::size_t i = 0; i < 4; ++i)
            Require(got[i] == expected[i].value_or(start[i]));
    }

    // A well-formed reply reads back exactly; a sixth number changes nothing.
    const std::int32_t lead = numbers.Next();
    const std::array<std::int32_t, 4> values{numbers.Next(), numbers.Next(), numbers.Next(),
                                             numbers.Next()};
    std::string wellFormed = std::to_string(lead);
    for (const std::int32_t value : values)
        wellFormed += ' ' + std::to_string(value);
    for (const std::string& text : {wellFormed, wellFormed + ' ' + std::to_string(lead)}) {
        UpdateStatus status{};
        ParseUpdateStatus(text, status);
        Require(Counters(status) == values);
        Require(!IsIdleStatus(text));
    }
}

// done * 100 / total rounded up, then held to 0..100, by floor division over a
// positive divisor.
int ExpectedPosition(std::int32_t done, std::int32_t total) {
    if (total == 0)
        return 0;
    std::int64_t numerator = static_cast<std::int64_t>(done) * 100;
    std::int64_t divisor = total;
    if (divisor < 0) {
        numerator = -numerator;
        divisor = -divisor;
    }
    const std::int64_t rest = ((numerator % divisor) + divisor) % divisor;
    const std::int64_t floor = (numerator - rest) / divisor;
    const std::int64_t ceiling = rest == 0 ? floor : floor + 1;
    return static_cast<int>(ceiling < 0 ? 0 : ceiling > 100 ? 100 : ceiling);
}

void CheckArithmetic(std::int32_t done, std::int32_t total, std::int32_t margin) {
    const int position = ProgressPosition(done, total);
    Require(position >= 0 && position <= 100);
    Require(position == ExpectedPosition(done, total));
    if (total > 0 && done < Limits::max())
        Require(position <= ProgressPosition(done + 1, total)); // never moves back

    const bool unfinished = PhaseUnfinished(done, total, margin);
    Require(unfinished == (static_cast<long double>(done) <
                           static_cast<long double>(total) - static_cast<long double>(margin)));
}

void CheckEdgeValues() {
    static bool checked = false;
    if (checked)
        return;
    checked = true;
    // Both ends of the 32-bit range, around zero, and the run's usual totals.
    constexpr std::int32_t kMin = Limits::min();
    constexpr std::int32_t kMax = Limits::max();
    constexpr std::array<std::int32_t, 16> kEdges{
        kMin, kMin + 1, -101, -2, -1, 0, 1, 2, 99, 100, 154, 155, 19999, 20000, kMax - 1, kMax};
    for (const std::int32_t done : kEdges) {
        Require(ReadNumber(std::to_string(done)) == done);
        for (const std::int32_t total : kEdges) {
            for (const std::int32_t margin : kEdges)
                CheckArithmetic(done, total, margin);
        }
    }
}

} // namespace

void CheckReplyReaders(std::string_view reply) {
    NumberSource numbers(reply);
    CheckEdgeValues();

    CheckTextAfterFirstSpace(reply);
    const std::string_view after = TextAfterFirstSpace(reply);
    CheckReadNumber(reply, numbers.Next());
    CheckReadNumber(after, numbers.Next());

    CheckNames(ReadNumber(after));
    CheckNames(numbers.Next());

    Require(IsIdleStatus(reply) == (reply == "0 0 0 0"));
    CheckParseUpdateStatus(reply, numbers);

    // The figures of the reply as the programming run uses them, and numbers
    // from anywhere.
    UpdateStatus status{155, 0, 20000, 0};
    ParseUpdateStatus(reply, status);
    CheckArithmetic(status.nEraseDone, status.nEraseTotal, 1);
    CheckArithmetic(status.nProgramDone, status.nProgramTotal, 2);
    const std::int32_t done = numbers.Next();
    const std::int32_t total = numbers.Next();
    CheckArithmetic(done, total, numbers.Next());
}

} // namespace kestrel::fuzz
