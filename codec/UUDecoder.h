#pragma once

#include "codec/ByteSink.h"
#include "codec/CodedLineReader.h"

namespace codec {

// Decodes UU text, line by line, into sink until the input is used up or an
// "end" line is met. Every line longer than two characters is a data line
// whose first character gives its byte count, except a "begin " line, which
// is skipped, and an "end" line, which ends the decoding. A data line with
// count 0 also discards the line after it. Characters a line lacks for its
// count read as 0 (as stripped trailing blanks would). Never raises on
// malformed text; stream errors pass through.
void DecodeUU(CodedLineReader& reader, ByteSink& sink);

}  // namespace codec
