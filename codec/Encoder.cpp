#include "codec/Encoder.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace codec {

namespace {

constexpr std::size_t kLineBytes = 45;
// Count character, 60 characters and CR LF.
constexpr std::size_t kMaxLineChars = 1 + 60 + 2;

unsigned char* EncodeLine(const unsigned char* in, std::size_t n, UUMethods method, unsigned char* out) {
  const std::string_view alphabet = method == uuCode ? kUUAlphabet : kBase64Alphabet;
  auto put = [&out, alphabet](unsigned v) { *out++ = static_cast<unsigned char>(alphabet[v & 63]); };
  if (method == uuCode) put(static_cast<unsigned>(n));
  for (; n >= 3; n -= 3, in += 3) {
    put(in[0] >> 2);
    put((in[0] << 4) | (in[1] >> 4));
    put((in[1] << 2) | (in[2] >> 6));
    put(in[2]);
  }
  if (n == 1) {
    put(in[0] >> 2);
    put(in[0] << 4);
    if (method == uuMime) out = static_cast<unsigned char*>(std::memcpy(out, "==", 2)) + 2;
  } else if (n == 2) {
    put(in[0] >> 2);
    put((in[0] << 4) | (in[1] >> 4));
    put(in[1] << 2);
    if (method == uuMime) *out++ = '=';
  }
  *out++ = '\r';
  *out++ = '\n';
  return out;
}

// Fills buffer from input until it is full or the input ends; returns the
// number of bytes in it. Short reads are made up, so every line but the
// last holds 45 bytes however the stream delivers them.
std::size_t FillBlock(Stream& input, std::vector<unsigned char>& buffer) {
  std::size_t kept = 0;
  while (kept < buffer.size()) {
    const std::size_t got = input.Read(buffer.data() + kept, buffer.size() - kept);
    if (got == 0) break;
    kept += got;
  }
  return kept;
}

}  // namespace

void EncodeLines(Stream& input, ByteSink& sink, UUMethods method) {
  std::vector<unsigned char> block(kLineBytes * 4096);
  for (;;) {
    const std::size_t filled = FillBlock(input, block);
    for (std::size_t at = 0; at < filled; at += kLineBytes) {
      const std::size_t n = std::min(kLineBytes, filled - at);
      unsigned char* out = sink.Reserve(kMaxLineChars);
      sink.Commit(EncodeLine(block.data() + at, n, method, out));
    }
    if (filled < block.size()) break;
  }
  if (method == uuCode) {
    unsigned char* out = sink.Reserve(3);
    out[0] = static_cast<unsigned char>(kUUAlphabet[0]);
    out[1] = '\r';
    out[2] = '\n';
    sink.Commit(out + 3);
  }
}

}  // namespace codec
