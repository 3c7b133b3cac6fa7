#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/UUCoder.h"

namespace codec::test {

// Stream over a text that hands out at most chunk bytes per Read, raises
// EStreamError once the position reaches failAt (when set), and takes at
// most writeLimit bytes in all when written.
class ChunkedStream : public MemoryStream {
 public:
  ChunkedStream(std::string_view text, std::size_t chunk, std::int64_t failAt = -1, std::size_t writeLimit = SIZE_MAX)
      : MemoryStream(text), chunk_(chunk), failAt_(failAt), writeLimit_(writeLimit) {}
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;

 private:
  std::size_t chunk_;
  std::int64_t failAt_;
  std::size_t writeLimit_;
};

// Decode or Encode of a fresh processor over text delivered chunk bytes per read.
std::string Decode(UUMethods method, std::string_view text, std::size_t chunk = 4096);
std::string Encode(UUMethods method, std::string_view data, std::size_t chunk = 4096);
// The line decoder of method (MakeLineDecoder) handed text in pieces of
// piece bytes; what it wrote. Fails the test when a piece is not taken
// whole before the text has ended.
std::string Push(UUMethods method, std::string_view text, std::size_t piece);

std::string RandomBytes(std::size_t length, std::uint32_t seed);
// Every bare LF turned into CR LF.
std::string ToCrLf(std::string_view text);

// Runs a shell command with input on its standard input and returns its
// standard output; a failing command fails the current test.
std::string RunTool(const std::string& command, const std::string& input);

// Runs a Python 3 script (its text) with input on its standard input and
// returns its standard output, as RunTool does.
std::string RunPython(const std::string& script, const std::string& input);

// Bytes as lower-case hex digits, and back.
std::string Hex(const std::string& bytes);
std::string Unhex(const std::string& hex);

// Runs script over the samples (one hex line each); the script answers one
// line per sample: the hex of its UTF-8 result, or "!" when Python cannot
// read the sample. Returns the answers as bytes ("!" as it is).
std::vector<std::string> PythonAnswers(const std::string& script, const std::vector<std::string>& samples);

}  // namespace codec::test
