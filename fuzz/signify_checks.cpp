#include "signify_checks.h"

#include "require.h"
#include "signify_files.h"
#include "site_rules.h"

#include <algorithm>
#include <string>

namespace kestrel::fuzz {

namespace {

std::string Base64(std::string_view bytes) {
    constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned group = 0;
        for (std::size_t j = 0; j < 3; ++j)
            group =
                group << 8 | (i + j < bytes.size() ? static_cast<unsigned char>(bytes[i + j]) : 0);
        const std::size_t chars = std::min<std::size_t>(4, (bytes.size() - i) * 4 / 3 + 1);
        for (std::size_t j = 0; j < 4; ++j)
            text += j < chars ? kAlphabet[(group >> (18 - 6 * j)) & 63] : '=';
    }
    return text;
}

template <std::size_t N> std::string Bytes(const std::array<unsigned char, N>& array) {
    return std::string(array.begin(), array.end());
}

// The file signify would write for what was read.
std::string Written(const std::string& comment, const KeyNumber& number, const std::string& data) {
    return "untrusted comment: " + comment + "\n" + Base64("Ed" + Bytes(number) + data) + "\n";
}

std::size_t LineCount(std::string_view bytes) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
}

std::string WithCrLf(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    return text;
}

std::string Ended(std::string_view bytes) {
    std::string ended(bytes);
    if (!ended.empty() && ended.back() != '\n')
        ended += '\n';
    return ended;
}

bool SamePolicy(const SitePolicy& a, const SitePolicy& b) {
    return a.requireSignature == b.requireSignature && a.badLine == b.badLine;
}

bool SameRevoked(const RevokedKeys& a, const RevokedKeys& b) {
    return a.keys == b.keys && a.badLine == b.badLine;
}

void CheckKeyNumber(const KeyNumber& number) {
    const std::string hex = KeyNumberHex(number);
    Require(hex.size() == 16 && hex.find_first_not_of("0123456789abcdef") == std::string::npos);
    KeyNumber back{};
    Require(ParseKeyNumber(hex, back) && back == number);
}

void CheckPublicKey(std::string_view bytes) {
    const SignifyPublicKey key = ReadSignifyPublicKey(bytes);
    if (key.fault != SignifyFault::None) {
        Require(key.comment.empty() && key.keyNumber == KeyNumber{} && key.key == Ed25519Key{});
        return;
    }
    Require(bytes.starts_with("untrusted comment: ") &&
            key.comment.find('\n') == std::string::npos);
    CheckKeyNumber(key.keyNumber);
    const std::string name = KeyName(key.comment);
    Require(key.comment.starts_with(name) && name.empty() == key.comment.empty());
    const SignifyPublicKey again =
        ReadSignifyPublicKey(Written(key.comment, key.keyNumber, Bytes(key.key)));
    Require(again.fault == SignifyFault::None && again.comment == key.comment &&
            again.keyNumber == key.keyNumber && again.key == key.key);
}

void CheckSignature(std::string_view bytes) {
    const SignifySignature sig = ReadSignifySignature(bytes);
    if (sig.fault != SignifyFault::None) {
        Require(sig.comment.empty() && sig.signature == Ed25519Signature{} && sig.message.empty());
        return;
    }
    CheckKeyNumber(sig.keyNumber);
    // An embedded text is the end of the file itself.
    Require(!sig.Embedded() ||
            (sig.message.data() + sig.message.size() == bytes.data() + bytes.size()));
    Require(ReadSignifyPublicKey(bytes).fault != SignifyFault::None);
    const std::string again =
        Written(sig.comment, sig.keyNumber, Bytes(sig.signature)) + std::string(sig.message);
    const SignifySignature reread = ReadSignifySignature(again);
    Require(reread.fault == SignifyFault::None && reread.comment == sig.comment &&
            reread.keyNumber == sig.keyNumber && reread.signature == sig.signature &&
            reread.message == sig.message);
}

void CheckPolicy(std::string_view bytes) {
    const SitePolicy policy = ReadSitePolicy(bytes);
    Require(policy.badLine <= LineCount(bytes));
    Require(policy.badLine == 0 || !policy.requireSignature);
    if (bytes.find('\r') == std::string_view::npos)
        Require(SamePolicy(ReadSitePolicy(WithCrLf(bytes)), policy));
    const std::string ended = Ended(bytes);
    Require(SamePolicy(ReadSitePolicy(ended + "# require-signature = yes\n"), policy));
    if (policy.badLine != 0)
        return;
    const SitePolicy added = ReadSitePolicy(ended + "  require-signature\t=  yes \n");
    const std::size_t addedLine = LineCount(ended);
    Require((added.requireSignature && added.badLine == 0) || added.badLine == addedLine);
}

void CheckRevoked(std::string_view bytes) {
    const RevokedKeys revoked = ReadRevokedKeys(bytes);
    Require(revoked.badLine <= LineCount(bytes));
    Require(revoked.badLine == 0 || revoked.keys.empty());
    std::string lower(bytes);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'F' ? char(c - 'A' + 'a') : c; });
    for (const KeyNumber& number : revoked.keys)
        Require(lower.find(KeyNumberHex(number)) != std::string::npos);
    if (bytes.find('\r') == std::string_view::npos)
        Require(SameRevoked(ReadRevokedKeys(WithCrLf(bytes)), revoked));
    if (revoked.badLine != 0)
        return;
    const RevokedKeys added = ReadRevokedKeys(Ended(bytes) + "\t0123456789ABCDEF\n");
    Require(added.badLine == 0 && added.keys.size() == revoked.keys.size() + 1 &&
            KeyNumberHex(added.keys.back()) == "0123456789abcdef");
}

} // namespace

void CheckSignifyFiles(std::string_view bytes) {
    CheckPublicKey(bytes);
    CheckSignature(bytes);
}

void CheckSiteRules(std::string_view bytes) {
    CheckPolicy(bytes);
    CheckRevoked(bytes);
}

} // namespace kestrel::fuzz
