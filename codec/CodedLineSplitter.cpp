#include "codec/CodedLineSplitter.h"

#include <algorithm>
#include <cstring>

namespace codec {

std::size_t CodedLineSplitter::Push(std::string_view text) {
  const char* const data = text.data();
  std::size_t at = 0;
  while (at < text.size() && !finished_) {
    if (heldReturn_) {
      heldReturn_ = false;
      // A carriage return right before the line feed belongs to the line end.
      if (data[at] == '\n') {
        ++at;
        EndLine();
        continue;
      }
      HandOn("\r");
    }
    if (lineLength_ == kMaxLineLength) {
      // A line of exactly the longest length ends here; a longer one is cut.
      if (data[at] == '\n') ++at;
      EndLine();
      continue;
    }
    const std::size_t limit = std::min(text.size(), at + (kMaxLineLength - lineLength_));
    const void* lf = std::memchr(data + at, '\n', limit - at);
    if (lf != nullptr) {
      const auto end = static_cast<std::size_t>(static_cast<const char*>(lf) - data);
      const std::size_t textEnd = end > at && data[end - 1] == '\r' ? end - 1 : end;
      const std::string_view line = text.substr(at, textEnd - at);
      at = end + 1;
      if (lineLength_ == 0 && !stopped_) {
        receiver_.WholeLine(line);
        if (stopped_) finished_ = true;
      } else {
        HandOn(line);
        EndLine();
      }
      continue;
    }
    std::string_view run = text.substr(at, limit - at);
    lineLength_ += run.size();
    at = limit;
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
