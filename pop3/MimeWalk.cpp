#include "pop3/MimeWalk.h"

#include <utility>

namespace pop3 {

bool IsDelimiterLine(std::string_view line, std::string_view boundary, bool& closing) {
  closing = false;
  if (line.size() < boundary.size() + 2 || line[0] != '-' || line[1] != '-') return false;
  if (line.compare(2, boundary.size(), boundary) != 0) return false;
  std::size_t rest = boundary.size() + 2;
  if (line.compare(rest, 2, "--") == 0) {
    closing = true;
    rest += 2;
  }
  for (; rest < line.size(); ++rest) {
    if (line[rest] != ' ' && line[rest] != '\t' && line[rest] != '\r') {
      closing = false;
      return false;
    }
  }
  return true;
}

MimeWalker::MimeWalker(PartHeader mainHeader, MimeWalkReceiver& receiver) : receiver_(receiver) {
  BeginEntity(std::move(mainHeader), {});
}

// A part's depth is the number of multiparts around it. The message itself
// is split whatever its boundary (it is shown as it came when it cannot
// be); a part whose multipart has no boundary is a leaf.
void MimeWalker::BeginEntity(PartHeader header, std::vector<std::string> headerLines) {
  const std::size_t depth = levels_.size();
  if (header.MainType() == "multipart" && depth < kMaxMimeDepth && (depth == 0 || !header.boundary.empty())) {
    Level level;
    level.partDefault = header.type == "multipart/digest" ? "message/rfc822" : "text/plain";
    level.header = std::move(header);
    level.headerLines = std::move(headerLines);
    levels_.push_back(std::move(level));
    position_ = Position::Between;
    return;
  }
  receiver_.LeafBegins(MimeLeaf{header, headerLines, true, false});
  position_ = Position::Leaf;
}

void MimeWalker::TakeLine(std::string_view line) {
  // The outermost multipart whose delimiter the line is ends everything
  // inside it.
  for (std::size_t k = 0; k < levels_.size(); ++k) {
    const Level& level = levels_[k];
    bool closing = false;
    if (!level.closed && !level.header.boundary.empty() && IsDelimiterLine(line, level.header.boundary, closing)) {
      Delimiter(k, closing);
      return;
    }
  }
  Content(line);
}

void MimeWalker::Delimiter(std::size_t level, bool closing) {
  while (levels_.size() > level + 1) {
    EndInnermost(false);
    levels_.pop_back();
  }
  Level& multipart = levels_[level];
  if (multipart.open) EndCurrentPart(false);
  // The first delimiter makes what came before it a preamble.
  multipart.open = true;
  multipart.pending.Clear();
  if (closing) {
    multipart.closed = true;
    position_ = Position::Between;
  } else {
    position_ = Position::Header;
    partHeader_.clear();
    partHeaderBytes_ = 0;
  }
}

void MimeWalker::Content(std::string_view line) {
  if (!levels_.empty() && !levels_.back().open) {
    levels_.back().pending.Add(line);
    return;
  }
  if (position_ == Position::Leaf) {
    receiver_.LeafLine(line);
  } else if (position_ == Position::Header) {
    HeaderLine(line);
  }
}

void MimeWalker::HeaderLine(std::string_view line) {
  if (IsHeaderLine(line)) {
    if (partHeaderBytes_ + line.size() <= kMaxPartHeaderBytes) {
      partHeader_.emplace_back(line);
      partHeaderBytes_ += line.size();
    }
    return;
  }
  // The header ends at its empty line, or at the first line that cannot
  // stand in a header, which begins the body.
  PartHeader header = ParsePartHeader(partHeader_, 0, partHeader_.size(), levels_.back().partDefault);
  BeginEntity(std::move(header), std::move(partHeader_));
  partHeader_.clear();
  if (!line.empty()) Content(line);
}

void MimeWalker::EndCurrentPart(bool lastLineEnd) {
  if (position_ == Position::Header) {
    // The part ended inside its header: a leaf whatever its type says.
    const PartHeader header = ParsePartHeader(partHeader_, 0, partHeader_.size(), levels_.back().partDefault);
    receiver_.LeafBegins(MimeLeaf{header, partHeader_, false, lastLineEnd});
    receiver_.LeafEnds(lastLineEnd);
  } else if (position_ == Position::Leaf) {
    receiver_.LeafEnds(lastLineEnd);
  }
  position_ = Position::Between;
}

// Ends the innermost multipart and what is open in it; a part ending at the
// end of its parent keeps the parent's last line end.
void MimeWalker::EndInnermost(bool lastLineEnd) {
  Level& inner = levels_.back();
  if (inner.open) {
    EndCurrentPart(lastLineEnd);
  } else if (levels_.size() == 1) {
    receiver_.Unsplittable(std::move(inner.pending));
  } else {
    // No line delimited it: one leaf of its own, its lines the body.
    receiver_.LeafBegins(MimeLeaf{inner.header, inner.headerLines, true, false});
    inner.pending.ForEachLine([this](std::string_view line) { receiver_.LeafLine(line); });
    receiver_.LeafEnds(lastLineEnd);
  }
  position_ = Position::Between;
}

void MimeWalker::Finish() {
  while (!levels_.empty()) {
    EndInnermost(true);
    levels_.pop_back();
  }
  EndCurrentPart(true);
}

}  // namespace pop3
