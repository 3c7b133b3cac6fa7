#pragma once

#include <functional>
#include <string>
#include <utility>

#include "codec/CodecTables.h"
#include "codec/Stream.h"

namespace codec {

// Converts between binary data and the two seven-bit text forms in which
// mail carries attachments: Base64 (Method uuMime, the default) and UU
// (uuCode). Works from InputStream to OutputStream; keeps no data between
// calls (for text that arrives in pieces, see PushDecoder.h). The streams
// are not owned: the caller creates them, sets them before each call and
// frees them afterwards.
class TUUProcessor {
 public:
  // The event type of the processor's notifications; Sender is the processor.
  using TNotifyEvent = std::function<void(TUUProcessor* Sender)>;

  TUUProcessor() = default;
  TUUProcessor(const TUUProcessor&) = delete;
  TUUProcessor& operator=(const TUUProcessor&) = delete;

  UUMethods Method() const { return method_; }
  void SetMethod(UUMethods value) { method_ = value; }
  Stream* InputStream() const { return inputStream_; }
  void SetInputStream(Stream* value) { inputStream_ = value; }
  Stream* OutputStream() const { return outputStream_; }
  void SetOutputStream(Stream* value) { outputStream_ = value; }
  // The encoding table of the Method last used by Encode; empty before.
  const std::string& Alphabet() const { return alphabet_; }

  const TNotifyEvent& OnBeginEncode() const { return onBeginEncode_; }
  void SetOnBeginEncode(TNotifyEvent handler) { onBeginEncode_ = std::move(handler); }
  const TNotifyEvent& OnEndEncode() const { return onEndEncode_; }
  void SetOnEndEncode(TNotifyEvent handler) { onEndEncode_ = std::move(handler); }
  const TNotifyEvent& OnBeginDecode() const { return onBeginDecode_; }
  void SetOnBeginDecode(TNotifyEvent handler) { onBeginDecode_ = std::move(handler); }
  const TNotifyEvent& OnEndDecode() const { return onEndDecode_; }
  void SetOnEndDecode(TNotifyEvent handler) { onEndDecode_ = std::move(handler); }

  // Encodes all of InputStream, from its start, into OutputStream: lines of
  // 45 input bytes, each followed by CR LF (Base64: 60 characters, padded
  // with "="; UU: count character first, no padding, then a line holding a
  // lone grave accent). No "begin"/"end" framing is written.
  // Order: InputStream position := 0, OnBeginEncode, encoding, then always
  // (also when encoding raised) OutputStream position := 0 and OnEndEncode.
  // Raises EStreamError when a stream is not set, and whatever the streams
  // raise.
  void Encode();

  // Decodes InputStream from its current position into OutputStream at its
  // current position, by Method, until the input is used up or a stop mark
  // is met; InputStream is left just after the line that held the stop
  // mark (or at its end). The input is read in blocks and pushed through
  // the method's decoder (Base64Decoder, UUDecoder). OnBeginDecode comes
  // first and OnEndDecode last, the latter only when decoding succeeded.
  // Malformed text never raises; stream errors are raised, and the output
  // keeps the bytes decoded before the error. Raises EStreamError when a
  // stream is not set.
  void Decode();

 private:
  UUMethods method_ = uuMime;
  Stream* inputStream_ = nullptr;
  Stream* outputStream_ = nullptr;
  std::string alphabet_;
  TNotifyEvent onBeginEncode_;
  TNotifyEvent onEndEncode_;
  TNotifyEvent onBeginDecode_;
  TNotifyEvent onEndDecode_;
};

}  // namespace codec
