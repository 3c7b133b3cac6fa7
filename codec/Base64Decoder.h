#pragma once

#include "codec/ByteSink.h"
#include "codec/CodedLineReader.h"

namespace codec {

// Decodes Base64 text, line by line, into sink. Lenient: characters that
// cannot start a group are skipped, characters outside "+" to "z" (blanks,
// controls, 8-bit bytes) are passed over inside a group too, lines of at
// most two characters and lines starting "====" are ignored. Decoding
// ends, with what was decoded kept, when the input is used up, at the
// first padding "=" (after the bytes of its group), or at a line whose
// first non-skipped character is "=", a carriage return or a line feed.
// Never raises on malformed text; stream errors pass through.
void DecodeBase64(CodedLineReader& reader, ByteSink& sink);

}  // namespace codec
