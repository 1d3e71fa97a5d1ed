#pragma once

#include <string_view>

namespace kestrel::fuzz {

// Reads the bytes as a signify public key and as a signature, and checks what
// a reading promises: a file read without a fault says the same when written
// anew from what was read (comment, key number, key or signature, and an
// embedded signature's text, which is the end of the file); a fault leaves
// nothing read; a signature is never taken for a key; key numbers print as
// 16 lower-case hex digits and read back.
void CheckSignifyFiles(std::string_view bytes);

// Reads the bytes as a site's policy and as its list of revoked keys: a bad
// line lies within the text and leaves no setting and no key; line feeds
// with or without carriage returns read the same; comment lines change
// nothing; a setting or key added after good lines is taken (or, a setting
// given twice, is the bad line).
void CheckSiteRules(std::string_view bytes);

} // namespace kestrel::fuzz
