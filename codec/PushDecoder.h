#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "codec/ByteSink.h"
#include "codec/CodecTables.h"

namespace codec {

// A decoder that is handed its coded text in pieces of any size, as they
// arrive (bytes, blocks or whole lines), and writes what they decode to
// straight into its sink: nothing is read back and nothing is held but the
// characters of a group, or of a line's start, that it has not finished.
// Malformed text never raises; what the sink raises passes through.
class PushDecoder {
 public:
  virtual ~PushDecoder() = default;

  // Decodes the next piece of the text. Returns how many of its bytes were
  // taken: all of them, or fewer when the coded text ended inside the
  // piece (at a stop mark, with the rest of its line); what follows is not
  // taken, now or later.
  virtual std::size_t Push(std::string_view text) = 0;
  // The text is complete: decodes what its last line leaves.
  virtual void Finish() = 0;
  // The coded text has ended at a stop mark and its line has been taken.
  virtual bool Ended() const = 0;
};

// The line decoder of a method: Base64Decoder (uuMime) or UUDecoder (uuCode).
std::unique_ptr<PushDecoder> MakeLineDecoder(UUMethods method, ByteSink& sink);

}  // namespace codec
