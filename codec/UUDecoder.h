#pragma once

#include <cstddef>
#include <string_view>

#include "codec/ByteSink.h"
#include "codec/CodedLineSplitter.h"
#include "codec/PushDecoder.h"

namespace codec {

// Decodes UU text, pushed in pieces of any size, into sink, line by line
// (CodedLineSplitter's lines), until the text is used up or an "end" line
// is met. Every line longer than two characters is a data line whose first
// character gives its byte count, except a "begin " line, which is skipped,
// and an "end" line ("end" and nothing but blanks and tabs), which ends the
// text. A data line with count 0 also discards the line after it.
// Characters a line lacks for its count read as 0 (as stripped trailing
// blanks would). Holds at most the first kHeldCharacters of a line.
class UUDecoder final : public PushDecoder, private CodedLineReceiver {
 public:
  // The count character and the 84 characters that 63 bytes take.
  static constexpr std::size_t kHeldCharacters = 85;

  explicit UUDecoder(ByteSink& sink) : sink_(sink) {}

  std::size_t Push(std::string_view text) override { return lines_.Push(text); }
  void Finish() override { lines_.Finish(); }
  bool Ended() const override { return lines_.Finished(); }

 private:
  void LineText(std::string_view text) override;
  void LineEnd() override;
  void WholeLine(std::string_view line) override;
  // Decodes one line: its first characters (all a data line can read), the
  // whole line's length, and whether it is an "end" line.
  void TakeLine(std::string_view line, std::size_t length, bool endLine);

  ByteSink& sink_;
  CodedLineSplitter lines_{*this};
  char line_[kHeldCharacters] = {};
  std::size_t held_ = 0;
  std::size_t length_ = 0;         // the whole line's length so far
  bool blanksAfterEnd_ = true;     // nothing but blanks and tabs after the first three characters
  bool dropNextLine_ = false;
};

}  // namespace codec
