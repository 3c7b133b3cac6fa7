#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "codec/Stream.h"

namespace codec {

// Splits the text of a stream into lines, reading the stream in large
// blocks. It reads ahead of the lines it has returned; RestorePosition puts
// the stream back just after the last returned line.
class CodedLineReader {
 public:
  // Longest line returned whole; longer lines come in consecutive pieces of
  // this length (a multiple of 4, so Base64 groups stay aligned).
  static constexpr std::size_t kMaxLineLength = 64 * 1024;

  // Reads input from its current position. blockSize is the size of one
  // read request (raised to at least 2 * kMaxLineLength).
  explicit CodedLineReader(Stream& input, std::size_t blockSize = 256 * 1024);

  // Sets line to the next line without its end: the line feed and a
  // carriage return right before it are dropped (a bare line feed ends a
  // line as well). The last line needs no line feed. Returns false when
  // the input is used up. The view stays valid until the next call and
  // never holds a byte that was not read from the input.
  // Raises whatever the stream raises.
  bool ReadCodedLine(std::string_view& line);

  // Sets the stream's position just after the last returned line, undoing
  // the read-ahead.
  void RestorePosition();

 private:
  // Reads once into the free space; sets atEof_ when the stream has ended.
  void Fill();

  Stream& input_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // first byte not yet returned
  std::size_t scan_ = 0;   // where the search for the next line feed resumes
  std::size_t end_ = 0;    // end of the bytes read
  bool atEof_ = false;
};

}  // namespace codec
