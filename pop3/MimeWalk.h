#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pop3/MimePartHeader.h"
#include "pop3/TextLines.h"

namespace pop3 {

// Multiparts nested deeper than this are taken as one leaf each.
inline constexpr int kMaxMimeDepth = 32;
// Most bytes of one part's header kept for reading it; header lines past
// them are passed over.
inline constexpr std::size_t kMaxPartHeaderBytes = 256 * 1024;

// One part that holds content (no multipart), as the walk begins it.
struct MimeLeaf {
  PartHeader header;
  // The part's header lines, without the empty line that ends it; none for
  // the message itself.
  std::span<const std::string> headerLines;
  // The header ended (by its empty line or a line that is no header line);
  // false when the end of the part cut it off.
  bool headerEnded = true;
  // The end of the message cut the header off: the part has no body.
  bool cutOff = false;
};

// True when line is a delimiter of boundary: "--" boundary, then "--" or
// not, then only blanks and tabs. closing tells "--boundary--".
bool IsDelimiterLine(std::string_view line, std::string_view boundary, bool& closing);

// What the walk finds, in the order the message holds it.
class MimeWalkReceiver {
 public:
  virtual ~MimeWalkReceiver() = default;
  virtual void LeafBegins(const MimeLeaf& leaf) = 0;
  // The leaf's next body line (line end removed).
  virtual void LeafLine(std::string_view line) = 0;
  // The leaf's body is over. lastLineEnd: its last line keeps its line end,
  // true for a body running to the end of the message, false before a
  // delimiter line, whose CR LF belongs to the delimiter.
  virtual void LeafEnds(bool lastLineEnd) = 0;
  // The message says multipart but cannot be split (no boundary, or no
  // line delimits it): its body lines, as they came.
  virtual void Unsplittable(TextLines lines) = 0;
};

// Walks a message's body, handed over line by line as it is read, as the
// main header says: the parts of a multipart, between whole delimiter lines
// of its own boundary, each with its own header, nested multiparts to
// kMaxMimeDepth; a preamble and an epilogue are skipped, a missing closing
// delimiter ends the last part at the end of its parent. The delimiter of
// an outer multipart ends every part inside it. A message that is not
// multipart is one leaf. Nothing is kept but the header of the part being
// read and, until its first delimiter line, the lines of a multipart (its
// preamble, or all of it when it turns out to be none).
class MimeWalker {
 public:
  MimeWalker(PartHeader mainHeader, MimeWalkReceiver& receiver);

  void TakeLine(std::string_view line);
  // The message has ended.
  void Finish();

 private:
  // A multipart whose parts are being walked.
  struct Level {
    PartHeader header;
    std::vector<std::string> headerLines;  // kept in case it turns out to be a leaf
    std::string partDefault;               // the type of a part without one
    bool open = false;                     // its first delimiter line has come
    bool closed = false;                   // its closing one has: the rest is its epilogue
    TextLines pending;                     // its lines before the first delimiter
  };
  // Where the innermost open multipart is: in a part's header, in a leaf's
  // body, or between parts (preamble, epilogue).
  enum class Position { Header, Leaf, Between };

  void BeginEntity(PartHeader header, std::vector<std::string> headerLines);
  void Delimiter(std::size_t level, bool closing);
  void Content(std::string_view line);
  void HeaderLine(std::string_view line);
  void EndCurrentPart(bool lastLineEnd);
  void EndInnermost(bool lastLineEnd);

  MimeWalkReceiver& receiver_;
  std::vector<Level> levels_;
  Position position_ = Position::Between;
  std::vector<std::string> partHeader_;
  std::size_t partHeaderBytes_ = 0;
};

}  // namespace pop3
