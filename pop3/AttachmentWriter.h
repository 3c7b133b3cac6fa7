#pragma once

#include <memory>
#include <string_view>

#include "codec/ByteSink.h"
#include "codec/PushDecoder.h"
#include "codec/Stream.h"
#include "platform/core/FileStream.h"
#include "pop3/MimePartHeader.h"

namespace pop3 {

// One attachment written while its part's lines arrive. Its file, created
// new under its final name, gets the part's bytes (its lines joined by
// CR LF, the last one's kept only when the part runs to the end of the
// message) decoded by the part's transfer coding straight away: nothing
// is held but the decoder's unfinished group and the sink's block. Until
// Complete has succeeded, destroying the writer removes the file, so that
// an attachment cut off (the connection lost, a cap exceeded, a failure)
// is never left half written.
class AttachmentWriter {
 public:
  // file is the new, empty file. copy, when given, receives the decoded
  // bytes too (and must outlive the writer).
  AttachmentWriter(std::unique_ptr<platform::FileStream> file, TransferCoding coding, codec::Stream* copy = nullptr);
  ~AttachmentWriter();
  AttachmentWriter(const AttachmentWriter&) = delete;
  AttachmentWriter& operator=(const AttachmentWriter&) = delete;

  // The part's next line (line end removed). Raises EFileError.
  void TakeLine(std::string_view line);
  // The part is over: its last line end when lastLineEnd, then the file
  // is flushed and closed. Raises EFileError.
  void Complete(bool lastLineEnd);

 private:
  class Output;

  std::unique_ptr<platform::FileStream> file_;
  std::unique_ptr<Output> output_;
  codec::ByteSink sink_;
  std::unique_ptr<codec::PushDecoder> decoder_;
  bool lineBefore_ = false;  // a line has come, whose line end is still due
  bool completed_ = false;
};

}  // namespace pop3
