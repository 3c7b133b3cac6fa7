#pragma once

#include "codec/ByteSink.h"
#include "codec/CodecTables.h"
#include "codec/Stream.h"

namespace codec {

// Encodes input, from its current position to its end, into lines of
// sink: 45 input bytes a line (the last line shorter), each line followed
// by CR LF. uuMime lines are 60 Base64 characters, a short last group
// padded with "="; uuCode lines start with the count character, have no
// padding, and a line of a lone grave accent follows the last one.
// Stream errors pass through.
void EncodeLines(Stream& input, ByteSink& sink, UUMethods method);

}  // namespace codec
