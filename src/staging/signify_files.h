#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// How the tool reads the public keys and signatures that signify (Debian's
// signify-openbsd) writes: a line "untrusted comment: ...", then one line of
// base64 holding "Ed", an 8-byte key number and the 32-byte Ed25519 key or
// the 64-byte signature. An embedded signature is followed by the text it
// signs. Plain C++ on byte strings, so that any file can be fed to it.
namespace kestrel {

using KeyNumber = std::array<unsigned char, 8>;
using Ed25519Key = std::array<unsigned char, 32>;
using Ed25519Signature = std::array<unsigned char, 64>;

// What keeps a file from being read, or None.
enum class SignifyFault {
    None,
    NoComment,   // the first line is not "untrusted comment: ..."
    NoDataLine,  // nothing follows the comment line
    NotBase64,   // the second line is not base64
    WrongLength, // it decodes to another length than a key or signature has
    NotEd25519,  // it does not begin with "Ed"
    TextAfterKey // a public key file goes on after its key line
};

struct SignifyPublicKey {
    SignifyFault fault = SignifyFault::None;
    std::string comment; // the text after "untrusted comment: "
    KeyNumber keyNumber{};
    Ed25519Key key{};
};

struct SignifySignature {
    SignifyFault fault = SignifyFault::None;
    std::string comment;
    KeyNumber keyNumber{};
    Ed25519Signature signature{};
    // Embedded (signify -S -e): the signed text follows the signature line;
    // a view into the file read. Empty for a detached signature.
    std::string_view message;
    bool Embedded() const { return !message.empty(); }
};

// Lines end with a line feed, a carriage return before it is ignored.
SignifyPublicKey ReadSignifyPublicKey(std::string_view file);
SignifySignature ReadSignifySignature(std::string_view file);

// The key number as the operator sees it: 16 lower-case hexadecimal digits,
// the bytes in the order they stand in the key.
std::string KeyNumberHex(const KeyNumber& number);

// The key number written as 16 hexadecimal digits of either case; false when
// the text is anything else.
bool ParseKeyNumber(std::string_view text, KeyNumber& number);

// How a key is named to the operator: the comment of its public key file
// without the " public key" that signify -G adds to the comment it is given
// ("maker release key public key" names "maker release key"); the whole
// comment when that would leave nothing.
std::string KeyName(std::string_view comment);

} // namespace kestrel
