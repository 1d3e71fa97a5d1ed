#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How the tool reads a list of checksums in the form `sha256sum` writes it.
// Plain C++ on byte strings, so that any file can be fed to it in isolation.
namespace kestrel {

// What a checksum list says about one file name.
struct ListedChecksum {
    enum class Status {
        Listed,      // sha256 holds the file's checksum
        NotListed,   // every line is well formed; none names the file
        Conflicting, // the file is named twice with different checksums
        Malformed,   // a line is not in the form sha256sum writes
    };
    Status status = Status::NotListed;
    std::string sha256;        // Listed: 64 lower-case hexadecimal digits
    std::size_t line = 0;      // Listed, Conflicting: the first line naming the file;
                               // Malformed: the line at fault (counted from 1)
    std::size_t otherLine = 0; // Conflicting: the line with the other checksum
};

// Reads a checksum list: one line per file, "<64 hex digits><space><space
// or *><name>", ended by a line feed, with or without a carriage return
// before it; a carriage return or zero byte elsewhere in a line makes it
// malformed. The digits may be of either case. A line that begins with a
// backslash has its name escaped as sha256sum escapes it ("\\" for a
// backslash, "\n" and "\r" for a line feed and a carriage return). Empty
// lines and lines beginning with '#' are skipped. A name matches `name`
// itself or "./" followed by it. Every line is checked, not only those that
// name the file: a list with one bad line is not trusted at all.
ListedChecksum FindListedChecksum(std::string_view list, std::string_view name);

// 64 hexadecimal digits of either case, lower-cased; empty when the text is
// anything else.
std::string NormalizedSha256(std::string_view text);

} // namespace kestrel
