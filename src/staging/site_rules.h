#pragma once

#include "signify_files.h"

#include <cstddef>
#include <string_view>
#include <vector>

// How the tool reads what a site decides about firmware signatures: its
// policy file and its list of revoked keys. Plain C++ on byte strings.
namespace kestrel {

// policy.conf: settings "name = value", one a line; empty lines and lines
// beginning with '#' are skipped, blanks around the name and the value are
// not part of them. The one setting is "require-signature" (yes or no, no
// when absent); another name, another value, a line without '=' or the
// setting given twice makes the line bad.
struct SitePolicy {
    bool requireSignature = false;
    std::size_t badLine = 0; // counted from 1; 0: every line is good
};
SitePolicy ReadSitePolicy(std::string_view text);

// revoked: one key number a line, 16 hexadecimal digits of either case;
// blanks around it, empty lines and lines beginning with '#' are allowed.
struct RevokedKeys {
    std::vector<KeyNumber> keys; // in the order listed; empty when a line is bad
    std::size_t badLine = 0;
};
RevokedKeys ReadRevokedKeys(std::string_view text);

} // namespace kestrel
