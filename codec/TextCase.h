#pragma once

#include <string>
#include <string_view>

namespace codec {

// text (UTF-8) with its letters upper-cased, for comparing without regard
// to case: the ASCII letters, and the one-to-one capitals of the Latin
// (Latin-1, Extended-A, Extended Additional), modern Greek, Cyrillic,
// Armenian and full-width Latin letters; Latin Extended-B and archaic
// Greek are left out. Letters whose capital is more than one
// letter (ß, ŉ) or that change under no mapping listed stay as they are.
// Bytes that are not UTF-8 stay as they are. Depends on no locale.
std::string UpperCaseText(std::string_view text);

// The capital of one code point under the mapping above; c when it has
// none.
char32_t UpperCaseLetter(char32_t c);

}  // namespace codec
