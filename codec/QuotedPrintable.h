#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "codec/ByteSink.h"
#include "codec/PushDecoder.h"

namespace codec {

// Decodes quoted-printable text (RFC 2045, 6.7), pushed in pieces of any
// size, into sink, leniently as mail readers do: "=" and two hex digits
// (either case) give that byte; "=" at the end of a line is a soft line
// break and joins the lines (after "=" and a carriage return, everything
// up to the next line feed is dropped); "==" gives one "="; any other "="
// stays as it is, and a lone "=" at the very end is dropped. Everything
// else, line ends and trailing blanks included, is kept byte for byte.
// Holds at most an "=" and the character after it between calls; the text
// never ends before its input does.
class QuotedPrintableDecoder final : public PushDecoder {
 public:
  explicit QuotedPrintableDecoder(ByteSink& sink) : sink_(sink) {}

  std::size_t Push(std::string_view text) override;
  void Finish() override;
  bool Ended() const override { return false; }

 private:
  enum class State { Text, Equals, EqualsHex, SoftBreak };

  // Decodes a piece small enough for one reservation of the sink.
  void PushSlice(std::string_view text);

  ByteSink& sink_;
  State state_ = State::Text;
  char hex_ = 0;  // the hex digit after "=" in state EqualsHex
};

// The decoding of a whole text, as QuotedPrintableDecoder gives it.
std::string DecodeQuotedPrintable(std::string_view text);

}  // namespace codec
