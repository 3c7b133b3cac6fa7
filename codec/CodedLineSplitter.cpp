#include "codec/CodedLineSplitter.h"

#include <algorithm>
#include <cstring>

namespace codec {

std::size_t CodedLineSplitter::Push(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && !finished_) {
    if (text[at] == '\n') {
      // A carriage return right before the line feed belongs to the line end.
      heldReturn_ = false;
      ++at;
      EndLine();
      continue;
    }
    // Anything but a line feed after a carriage return makes it text.
    if (heldReturn_) {
      heldReturn_ = false;
      HandOn("\r");
    }
    if (lineLength_ == kMaxLineLength) {
      EndLine();
      continue;
    }
    const std::size_t limit = std::min(text.size(), at + (kMaxLineLength - lineLength_));
    const void* lf = std::memchr(text.data() + at, '\n', limit - at);
    const std::size_t end = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) : limit;
    std::string_view run = text.substr(at, end - at);
    lineLength_ += run.size();
    at = end;
    // A carriage return at the end of the run may stand before a line feed
    // that is still to come.
    if (run.back() == '\r') {
      heldReturn_ = true;
      run.remove_suffix(1);
    }
    HandOn(run);
  }
  return at;
}

void CodedLineSplitter::Finish() {
  if (finished_) return;
  heldReturn_ = false;
  if (lineLength_ > 0) {
    EndLine();
  } else if (stopped_) {
    finished_ = true;
  }
}

void CodedLineSplitter::HandOn(std::string_view text) {
  if (!stopped_ && !text.empty()) receiver_.LineText(text);
}

void CodedLineSplitter::EndLine() {
  lineLength_ = 0;
  if (!stopped_) receiver_.LineEnd();
  if (stopped_) finished_ = true;
}

}  // namespace codec
