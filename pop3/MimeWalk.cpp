#include "pop3/MimeWalk.h"

namespace pop3 {

namespace {

class MimeWalk {
 public:
  MimeWalk(const std::vector<std::string>& lines, std::vector<MimeLeaf>& leaves)
      : lines_(lines), leaves_(leaves), topLevelEnd_(lines.size()) {}

  // Walks the entity whose body is lines[begin, end); false when it is a
  // multipart that cannot be split.
  bool Entity(const PartHeader& header, std::size_t headerBegin, std::size_t begin, std::size_t end,
              bool lastLineEnd, bool headerEnded, int depth) {
    if (header.MainType() == "multipart" && depth < kMaxMimeDepth && headerEnded) {
      if (Multipart(header, begin, end, lastLineEnd, depth)) return true;
      if (depth == 0) return false;
    }
    const std::size_t headerEnd = headerEnded && begin > headerBegin && lines_[begin - 1].empty() ? begin - 1 : begin;
    leaves_.push_back(MimeLeaf{header, headerBegin, headerEnd, begin, end, lastLineEnd, headerEnded});
    return true;
  }

  std::size_t TopLevelEnd() const { return topLevelEnd_; }

 private:
  bool Multipart(const PartHeader& header, std::size_t begin, std::size_t end, bool lastLineEnd, int depth) {
    const std::string& boundary = header.boundary;
    if (boundary.empty()) return false;
    bool closing = false;
    std::size_t delimiter = begin;
    while (delimiter < end && !IsDelimiterLine(lines_[delimiter], boundary, closing)) ++delimiter;
    if (delimiter == end) return false;

    const std::string partDefault = header.type == "multipart/digest" ? "message/rfc822" : "text/plain";
    while (!closing && delimiter < end) {
      const std::size_t start = delimiter + 1;
      std::size_t next = start;
      bool nextClosing = false;
      while (next < end && !IsDelimiterLine(lines_[next], boundary, nextClosing)) ++next;
      // A part cut by the end of its parent keeps the parent's last line end.
      Part(start, next, next == end ? lastLineEnd : false, partDefault, depth);
      delimiter = next;
      closing = nextClosing;
    }
    if (depth == 0) topLevelEnd_ = delimiter < end ? delimiter + 1 : end;
    return true;
  }

  void Part(std::size_t start, std::size_t end, bool lastLineEnd, const std::string& defaultType, int depth) {
    std::size_t body = start;
    while (body < end && IsHeaderLine(lines_[body])) ++body;
    const PartHeader header = ParsePartHeader(lines_, start, body, defaultType);
    bool headerEnded = true;
    if (body < end && lines_[body].empty()) {
      ++body;
    } else if (body == end) {
      headerEnded = false;
    }
    Entity(header, start, body, end, lastLineEnd, headerEnded, depth + 1);
  }

  const std::vector<std::string>& lines_;
  std::vector<MimeLeaf>& leaves_;
  std::size_t topLevelEnd_ = 0;
};

}  // namespace

bool IsDelimiterLine(const std::string& line, const std::string& boundary, bool& closing) {
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

bool WalkMime(const std::vector<std::string>& lines, const PartHeader& mainHeader, std::vector<MimeLeaf>& leaves,
              std::size_t& walked) {
  leaves.clear();
  MimeWalk walk(lines, leaves);
  walked = lines.size();
  if (walk.Entity(mainHeader, 0, 0, lines.size(), true, true, 0)) {
    walked = walk.TopLevelEnd();
    return true;
  }
  leaves.clear();
  return false;
}

}  // namespace pop3
