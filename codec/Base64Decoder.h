#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "codec/ByteSink.h"
#include "codec/CodedLineSplitter.h"
#include "codec/PushDecoder.h"

namespace codec {

// Groups of four Base64 characters, three bytes each, taken one character
// at a time. Its Take holds the rule for characters outside the alphabet
// (PassedOver).
class Base64Groups {
 public:
  // Starts a line of a body: before the line's first group, a carriage
  // return ends the text as "=" does.
  void StartLine();
  // Starts a text that is no line of a body (an encoded word, a SASL
  // challenge): only "=" ends it.
  void StartText();

  // Takes the next character, writing the byte it completes at out. A
  // group begins only at a digit; inside it, characters outside "+" to "z"
  // are passed over and the others count with their table entry. Returns
  // false when the text has ended:
  // "=" as a group's third or fourth character, or where a group should
  // begin when another character follows it in the line.
  bool Take(char c, unsigned char*& out);
  // Takes whole groups of four digits from the start of text while no
  // group is begun; returns the characters taken (a multiple of 4).
  std::size_t TakeWholeGroups(std::string_view text, unsigned char*& out);

 private:
  unsigned digits_[3] = {};
  int taken_ = 0;           // characters of the current group
  bool endPending_ = false;  // "=" (or a carriage return) seen where a group should begin
  bool leading_ = true;     // no group has begun in this line yet
};

// Decodes Base64 text of a body, pushed in pieces of any size, into sink.
// Lenient, line by line (CodedLineSplitter's lines): characters that
// cannot start a group are skipped, characters outside "+" to "z" (blanks,
// controls, 8-bit bytes) are passed over inside a group too, lines of at
// most two characters and lines starting "====" are ignored, a group cut
// short by the line's end
// gives the bytes its characters determine. The text ends, with what was
// decoded kept, at the first padding "=" (after the bytes of its group) or
// at a line whose first non-skipped character is "=" or a carriage return,
// when more follows in that line.
class Base64Decoder final : public PushDecoder, private CodedLineReceiver {
 public:
  explicit Base64Decoder(ByteSink& sink) : sink_(sink) {}

  std::size_t Push(std::string_view text) override { return lines_.Push(text); }
  void Finish() override { lines_.Finish(); }
  bool Ended() const override { return lines_.Finished(); }

 private:
  enum class LineState { Start, Groups, Ignored };

  void LineText(std::string_view text) override;
  void LineEnd() override;
  void WholeLine(std::string_view line) override;
  // Takes text into the groups; false (and the splitter stopped) when the
  // text ended in it.
  bool TakeAll(std::string_view text);

  ByteSink& sink_;
  CodedLineSplitter lines_{*this};
  Base64Groups groups_;
  LineState state_ = LineState::Start;
  char start_[4] = {};  // the line's first characters, held until they decide whether it counts
  std::size_t started_ = 0;
};

// The bytes of one Base64 text that stands alone (an encoded word's, a
// SASL challenge's): its groups as Base64Groups takes them, without the
// rules for lines of a body. Ends at padding; never fails.
std::string DecodeBase64Text(std::string_view text);

}  // namespace codec
