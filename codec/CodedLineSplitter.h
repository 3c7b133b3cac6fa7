#pragma once

#include <cstddef>
#include <string_view>

namespace codec {

// Receives the lines of coded text from a CodedLineSplitter.
class CodedLineReceiver {
 public:
  virtual ~CodedLineReceiver() = default;
  // The next characters of the current line, never empty: no line feed,
  // and no carriage return that stood right before one.
  virtual void LineText(std::string_view text) = 0;
  // The current line has ended (an empty line too).
  virtual void LineEnd() = 0;
  // A whole line that came in one piece: the same as LineText, when it is
  // not empty, then LineEnd; a receiver may take it faster in one step.
  virtual void WholeLine(std::string_view line) {
    if (!line.empty()) LineText(line);
    LineEnd();
  }
};

// Splits coded text, handed over in pieces of any size, into the lines the
// decoders work on: a line ends at a line feed, a carriage return right
// before it is dropped (as is one at the very end of the text), and the
// last line needs no line feed. A line longer than kMaxLineLength comes as
// consecutive lines of that length, the rest as the last of them, so that
// hostile or unwrapped input never has to be held whole. Between calls it
// holds at most one carriage return.
class CodedLineSplitter {
 public:
  // A multiple of 4, so that Base64 groups stay aligned across the cut.
  static constexpr std::size_t kMaxLineLength = 64 * 1024;

  explicit CodedLineSplitter(CodedLineReceiver& receiver) : receiver_(receiver) {}

  // Hands text on to the receiver. Returns how many of its bytes were
  // taken: all of them, except once Stop was called: then the rest of the
  // line where it was called is taken (its line feed included) without
  // being handed on, and nothing after it.
  std::size_t Push(std::string_view text);
  // The text has ended: ends the last line when it has begun.
  void Finish();

  // Ends the text at the current line; may be called by the receiver.
  void Stop() { stopped_ = true; }
  // Stop was called and the line where it was has been taken.
  bool Finished() const { return finished_; }

 private:
  void EndLine();
  void HandOn(std::string_view text);

  CodedLineReceiver& receiver_;
  std::size_t lineLength_ = 0;  // bytes of the current line so far, a held carriage return included
  bool heldReturn_ = false;     // the line's last byte so far is a carriage return, not yet handed on
  bool stopped_ = false;
  bool finished_ = false;
};

}  // namespace codec
