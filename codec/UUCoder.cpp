#include "codec/UUCoder.h"

#include <memory>
#include <string_view>
#include <vector>

#include "codec/ByteSink.h"
#include "codec/Encoder.h"
#include "codec/PushDecoder.h"

namespace codec {

namespace {

// Bytes of input read, and pushed to the decoder, at a time.
constexpr std::size_t kDecodeBlockSize = 256 * 1024;

Stream& Require(Stream* stream, const char* what) {
  if (stream == nullptr) throw EStreamError(std::string(what) + " not assigned");
  return *stream;
}

}  // namespace

void TUUProcessor::Encode() {
  Stream& input = Require(inputStream_, "InputStream");
  Stream& output = Require(outputStream_, "OutputStream");
  input.SetPosition(0);
  if (onBeginEncode_) onBeginEncode_(this);
  try {
    alphabet_ = method_ == uuCode ? kUUAlphabet : kBase64Alphabet;
    ByteSink sink(output);
    try {
      EncodeLines(input, sink, method_);
      sink.Flush();
    } catch (...) {
      sink.FlushAfterError();
      throw;
    }
  } catch (...) {
    // The closing steps run whether or not encoding succeeded.
    output.SetPosition(0);
    if (onEndEncode_) onEndEncode_(this);
    throw;
  }
  output.SetPosition(0);
  if (onEndEncode_) onEndEncode_(this);
}

void TUUProcessor::Decode() {
  Stream& input = Require(inputStream_, "InputStream");
  Stream& output = Require(outputStream_, "OutputStream");
  if (onBeginDecode_) onBeginDecode_(this);
  ByteSink sink(output);
  const std::unique_ptr<PushDecoder> decoder = MakeLineDecoder(method_, sink);
  std::vector<char> block(kDecodeBlockSize);
  try {
    for (;;) {
      const std::size_t got = input.Read(block.data(), block.size());
      if (got == 0) {
        decoder->Finish();
        break;
      }
      const std::size_t taken = decoder->Push(std::string_view(block.data(), got));
      if (decoder->Ended()) {
        // The input stays just after the line that ended the text.
        input.SetPosition(input.Position() - static_cast<std::int64_t>(got - taken));
        break;
      }
    }
    sink.Flush();
  } catch (...) {
    sink.FlushAfterError();
    throw;
  }
  if (onEndDecode_) onEndDecode_(this);
}

}  // namespace codec
