#include "codec/QuotedPrintable.h"

#include <algorithm>

#include "codec/CodecTables.h"
#include "codec/TextStreams.h"

namespace codec {

namespace {

// Bytes decoded per reservation of the sink.
constexpr std::size_t kSlice = 64 * 1024;

}  // namespace

std::size_t QuotedPrintableDecoder::Push(std::string_view text) {
  for (std::size_t at = 0; at < text.size(); at += kSlice) PushSlice(text.substr(at, kSlice));
  return text.size();
}

void QuotedPrintableDecoder::PushSlice(std::string_view text) {
  // Each character gives at most one byte, and a held "=" and digit two more.
  unsigned char* out = sink_.Reserve(text.size() + 2);
  for (const char c : text) {
    switch (state_) {
      case State::Text:
        if (c == '=') {
          state_ = State::Equals;
        } else {
          *out++ = static_cast<unsigned char>(c);
        }
        break;
      case State::Equals:
        if (c == '\n') {
          state_ = State::Text;
        } else if (c == '\r') {
          state_ = State::SoftBreak;
        } else if (c == '=') {
          *out++ = '=';
          state_ = State::Text;
        } else if (HexDigitValue(c) >= 0) {
          hex_ = c;
          state_ = State::EqualsHex;
        } else {
          *out++ = '=';
          *out++ = static_cast<unsigned char>(c);
          state_ = State::Text;
        }
        break;
      case State::EqualsHex:
        if (HexDigitValue(c) >= 0) {
          *out++ = static_cast<unsigned char>(HexDigitValue(hex_) * 16 + HexDigitValue(c));
          state_ = State::Text;
          break;
        }
        // Not an escape: "=" and the digit stay, and c is read afresh.
        *out++ = '=';
        *out++ = static_cast<unsigned char>(hex_);
        if (c == '=') {
          state_ = State::Equals;
        } else {
          *out++ = static_cast<unsigned char>(c);
          state_ = State::Text;
        }
        break;
      case State::SoftBreak:
        if (c == '\n') state_ = State::Text;
        break;
    }
  }
  sink_.Commit(out);
}

void QuotedPrintableDecoder::Finish() {
  if (state_ == State::EqualsHex) {
    unsigned char* out = sink_.Reserve(2);
    out[0] = '=';
    out[1] = static_cast<unsigned char>(hex_);
    sink_.Commit(out + 2);
  }
  state_ = State::Text;
}

std::string DecodeQuotedPrintable(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  StringStream output(bytes);
  ByteSink sink(output, std::min<std::size_t>(text.size() + 2, 256 * 1024));
  QuotedPrintableDecoder decoder(sink);
  decoder.Push(text);
  decoder.Finish();
  sink.Flush();
  return bytes;
}

}  // namespace codec
