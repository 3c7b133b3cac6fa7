#include "codec/UUCoder.h"

#include "codec/Base64Decoder.h"
#include "codec/ByteSink.h"
#include "codec/CodedLineReader.h"
#include "codec/Encoder.h"
#include "codec/UUDecoder.h"

namespace codec {

namespace {

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
  CodedLineReader reader(input);
  ByteSink sink(output);
  try {
    if (method_ == uuCode)
      DecodeUU(reader, sink);
    else
      DecodeBase64(reader, sink);
    sink.Flush();
  } catch (...) {
    sink.FlushAfterError();
    throw;
  }
  reader.RestorePosition();
  if (onEndDecode_) onEndDecode_(this);
}

}  // namespace codec
