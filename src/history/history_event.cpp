#include "history_event.h"

#include <charconv>

namespace kestrel {

namespace {

// A leading tag, so that content of a later layout never hashes like this one.
constexpr std::string_view kLayout = "kestrel-history-1;";

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

std::string CanonicalContent(const HistoryEvent& e) {
    std::string out(kLayout);
    out.reserve(512);
    AddNumber(out, e.timeMs);
    for (const std::string* text :
         {&e.bench, &e.operatorName, &e.face, &e.action, &e.phase, &e.operation, &e.address,
          &e.serial, &e.model, &e.hardwareBefore, &e.hardwareAfter, &e.software, &e.target,
          &e.result})
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
