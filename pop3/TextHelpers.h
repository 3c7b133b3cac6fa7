#pragma once

#include <string>

namespace pop3 {

// Case conversion of the ASCII letters a to z only; every other byte stays
// as it is, so that no comparison of mail text depends on a locale. Shared
// by the POP3 client and the window's rules and settings.
std::string AsciiUpper(std::string text);
std::string AsciiLower(std::string text);

}  // namespace pop3
