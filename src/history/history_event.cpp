#include "history_event.h"

#include <charconv>

namespace kestrel {

namespace {

// A leading tag, so that content of a later layout never hashes like this one.
constexpr std::string_view kLayout = "kestrel-history-1;";

// A number as AddNumber writes it, and only so.
std::optional<std::int64_t> ReadNumber(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || std::to_string(value) != text)
        return std::nullopt;
    return value;
}

void AddField(std::string& out, std::string_view bytes) {
    out += std::to_string(bytes.size());
    out += ':';
    out += bytes;
}

void AddNumber(std::string& out, std::int64_t value) {
    AddField(out, std::to_string(value));
}

// Reads one "length:bytes" field from the front of rest.
std::optional<std::string_view> TakeField(std::string_view& rest) {
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 9 || (rest[0] == '0' && colon > 1))
        return std::nullopt;
    std::size_t length = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + colon, length);
    if (error != std::errc() || end != rest.data() + colon || length > rest.size() - colon - 1)
        return std::nullopt;
    const std::string_view field = rest.substr(colon + 1, length);
    rest.remove_prefix(colon + 1 + length);
    return field;
}

} // namespace

std::string CanonicalContent(const HistoryEvent& event) {
    return CanonicalContent(event, EventDetail(event));
}

std::string CanonicalContent(const HistoryEvent& e, std::string_view detail) {
    std::string out(kLayout);
    out.reserve(kLayout.size() + 64 + detail.size());
    AddNumber(out, e.timeMs);
    for (const std::string* text : {&e.action, &e.phase, &e.operation, &e.serial, &e.result})
        AddField(out, *text);
    out += detail; // last: its end is the content's
    return out;
}

std::string EventDetail(const HistoryEvent& e) {
    std::string out;
    out.reserve(256);
    for (const std::string* text : {&e.bench, &e.operatorName, &e.face, &e.address, &e.model,
                                    &e.hardwareBefore, &e.hardwareAfter, &e.software, &e.target})
        AddField(out, *text);
    AddField(out, e.changed ? "1" : "0");
    AddNumber(out, e.elapsedMs);
    AddField(out, e.recordFile);
    AddField(out, e.toolVersion);
    AddField(out, EncodeStickFiles(e.stickFiles));
    AddField(out, e.signerKey);
    AddNumber(out, e.pid);
    AddField(out, e.processStart);
    return out;
}

bool ReadEventDetail(std::string_view detail, HistoryEvent& event) {
    HistoryEvent e = event;
    for (std::string* text : {&e.bench, &e.operatorName, &e.face, &e.address, &e.model,
                              &e.hardwareBefore, &e.hardwareAfter, &e.software, &e.target}) {
        const auto field = TakeField(detail);
        if (!field)
            return false;
        *text = *field;
    }
    const auto changed = TakeField(detail);
    const auto elapsed = changed ? TakeField(detail) : std::nullopt;
    const auto record = elapsed ? TakeField(detail) : std::nullopt;
    const auto tool = record ? TakeField(detail) : std::nullopt;
    const auto stick = tool ? TakeField(detail) : std::nullopt;
    const auto signer = stick ? TakeField(detail) : std::nullopt;
    const auto pid = signer ? TakeField(detail) : std::nullopt;
    const auto start = pid ? TakeField(detail) : std::nullopt;
    const auto elapsedMs = elapsed ? ReadNumber(*elapsed) : std::nullopt;
    const auto pidNumber = pid ? ReadNumber(*pid) : std::nullopt;
    const auto files = stick ? DecodeStickFiles(*stick) : std::nullopt;
    if (!start || !detail.empty() || (*changed != "0" && *changed != "1") || !elapsedMs ||
        !pidNumber || !files)
        return false;
    e.changed = *changed == "1";
    e.elapsedMs = *elapsedMs;
    e.recordFile = *record;
    e.toolVersion = *tool;
    e.stickFiles = *files;
    e.signerKey = *signer;
    e.pid = *pidNumber;
    e.processStart = *start;
    event = std::move(e);
    return true;
}

std::string EncodeStickFiles(const std::vector<StickFile>& files) {
    std::string out;
    for (const StickFile& file : files) {
        AddField(out, file.name);
        AddField(out, file.sha256);
    }
    return out;
}

std::optional<std::vector<StickFile>> DecodeStickFiles(std::string_view bytes) {
    std::vector<StickFile> files;
    while (!bytes.empty()) {
        const auto name = TakeField(bytes);
        const auto sha256 = name ? TakeField(bytes) : std::nullopt;
        if (!sha256)
            return std::nullopt;
        files.push_back({std::string(*name), std::string(*sha256)});
    }
    return files;
}

} // namespace kestrel
