#pragma once

#include <string>

namespace codec {

// Appends the UTF-8 form of the code point c to out; a code point that
// UTF-8 cannot carry (NUL, a surrogate, past U+10FFFF) as U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace codec
