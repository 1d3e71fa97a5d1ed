#include "signify_files.h"

#include <algorithm>
#include <optional>

namespace kestrel {

namespace {

constexpr std::string_view kCommentStart = "untrusted comment: ";
constexpr std::string_view kAlgorithm = "Ed";
constexpr std::size_t kHeader = 2 + sizeof(KeyNumber); // "Ed" and the key number

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Standard base64 with its padding, nothing else in it; nothing when the
// text is not that.
std::optional<std::string> DecodeBase64(std::string_view text) {
    if (text.empty() || text.size() % 4 != 0)
        return std::nullopt;
    const std::size_t padding = text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0;
    std::string bytes;
    unsigned bits = 0;
    int held = 0;
    for (std::size_t i = 0; i < text.size() - padding; ++i) {
        const int value = Base64Value(text[i]);
        if (value < 0)
            return std::nullopt;
        bits = (bits << 6) | static_cast<unsigned>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes += static_cast<char>((bits >> held) & 0xffu);
        }
    }
    // The bits left over by the padding are zero where base64 is written right.
    if ((bits & ((1u << held) - 1)) != 0)
        return std::nullopt;
    return bytes;
}

// The line that starts text, without its line end, and what follows it.
std::string_view TakeLine(std::string_view& text, bool& ended) {
    const std::size_t end = text.find('\n');
    ended = end != std::string_view::npos;
    std::string_view line = text.substr(0, end);
    text.remove_prefix(ended ? end + 1 : text.size());
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}

// Reads the comment and data lines into comment and data (header and
// payload, size bytes long); rest is what follows the data line.
SignifyFault ReadTwoLines(std::string_view file, std::size_t size, std::string& comment,
                          std::string& data, std::string_view& rest) {
    bool ended = false;
    const std::string_view first = TakeLine(file, ended);
    if (!ended || !first.starts_with(kCommentStart))
        return SignifyFault::NoComment;
    comment = first.substr(kCommentStart.size());
    if (file.empty())
        return SignifyFault::NoDataLine;
    const std::optional<std::string> decoded = DecodeBase64(TakeLine(file, ended));
    if (!decoded)
        return SignifyFault::NotBase64;
    if (decoded->size() != size)
        return SignifyFault::WrongLength;
    if (!decoded->starts_with(kAlgorithm))
        return SignifyFault::NotEd25519;
    data = *decoded;
    rest = file;
    return SignifyFault::None;
}

template <std::size_t N> void CopyOut(std::string_view from, std::array<unsigned char, N>& to) {
    std::transform(from.begin(), from.begin() + N, to.begin(),
                   [](char c) { return static_cast<unsigned char>(c); });
}

} // namespace

SignifyPublicKey ReadSignifyPublicKey(std::string_view file) {
    SignifyPublicKey read;
    std::string data;
    std::string_view rest;
    read.fault = ReadTwoLines(file, kHeader + sizeof(Ed25519Key), read.comment, data, rest);
    if (read.fault == SignifyFault::None && !rest.empty())
        read.fault = SignifyFault::TextAfterKey;
    if (read.fault != SignifyFault::None)
        return {read.fault, {}, {}, {}};
    const std::string_view bytes(data);
    CopyOut(bytes.substr(2), read.keyNumber);
    CopyOut(bytes.substr(kHeader), read.key);
    return read;
}

SignifySignature ReadSignifySignature(std::string_view file) {
    SignifySignature read;
    std::string data;
    read.fault =
        ReadTwoLines(file, kHeader + sizeof(Ed25519Signature), read.comment, data, read.message);
    if (read.fault != SignifyFault::None)
        return {read.fault, {}, {}, {}, {}};
    const std::string_view bytes(data);
    CopyOut(bytes.substr(2), read.keyNumber);
    CopyOut(bytes.substr(kHeader), read.signature);
    return read;
}

std::string KeyNumberHex(const KeyNumber& number) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string hex;
    for (const unsigned char byte : number) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xf];
    }
    return hex;
}

bool ParseKeyNumber(std::string_view text, KeyNumber& number) {
    if (text.size() != 2 * number.size())
        return false;
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < number.size(); ++i) {
        const int high = digit(text[2 * i]);
        const int low = digit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        number[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return true;
}

std::string KeyName(std::string_view comment) {
    constexpr std::string_view kAdded = " public key";
    if (comment.size() > kAdded.size() && comment.ends_with(kAdded))
        comment.remove_suffix(kAdded.size());
    return std::string(comment);
}

} // namespace kestrel
