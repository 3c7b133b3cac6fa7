#include "pop3/AttachmentWriter.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "codec/QuotedPrintable.h"
#include "platform/core/Exception.h"
#include "platform/core/Files.h"

namespace pop3 {

namespace {

// Block of decoded bytes written to the file at a time.
constexpr std::size_t kSinkBytes = 256 * 1024;

// The bytes of a part saved as sent: copied to the sink as they are.
class CopyDecoder final : public codec::PushDecoder {
 public:
  explicit CopyDecoder(codec::ByteSink& sink) : sink_(sink) {}
  std::size_t Push(std::string_view text) override {
    for (std::size_t at = 0; at < text.size(); at += kSinkBytes / 4) {
      const std::string_view slice = text.substr(at, kSinkBytes / 4);
      unsigned char* out = sink_.Reserve(slice.size());
      std::memcpy(out, slice.data(), slice.size());
      sink_.Commit(out + slice.size());
    }
    return text.size();
  }
  void Finish() override {}
  bool Ended() const override { return false; }

 private:
  codec::ByteSink& sink_;
};

std::unique_ptr<codec::PushDecoder> MakeDecoder(TransferCoding coding, codec::ByteSink& sink) {
  switch (coding) {
    case TransferCoding::Base64:
      return codec::MakeLineDecoder(codec::uuMime, sink);
    case TransferCoding::UU:
      return codec::MakeLineDecoder(codec::uuCode, sink);
    case TransferCoding::QuotedPrintable:
      return std::make_unique<codec::QuotedPrintableDecoder>(sink);
    case TransferCoding::AsSent:
      break;
  }
  return std::make_unique<CopyDecoder>(sink);
}

}  // namespace

// What the sink writes: the file, and the copy when there is one.
class AttachmentWriter::Output : public codec::Stream {
 public:
  Output(codec::Stream& file, codec::Stream* copy) : file_(file), copy_(copy) {}
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void* buffer, std::size_t count) override {
    file_.WriteBuffer(buffer, count);
    if (copy_ != nullptr) copy_->WriteBuffer(buffer, count);
    return count;
  }
  std::int64_t Position() const override { return file_.Position(); }
  void SetPosition(std::int64_t position) override { file_.SetPosition(position); }
  std::int64_t Size() const override { return file_.Size(); }

 private:
  codec::Stream& file_;
  codec::Stream* copy_;
};

AttachmentWriter::AttachmentWriter(std::unique_ptr<platform::FileStream> file, TransferCoding coding,
                                   codec::Stream* copy)
    : file_(std::move(file)),
      output_(std::make_unique<Output>(*file_, copy)),
      sink_(*output_, kSinkBytes),
      decoder_(MakeDecoder(coding, sink_)) {}

AttachmentWriter::~AttachmentWriter() {
  if (completed_) return;
  const std::string path = file_->FileName();
  file_.reset();
  try {
    platform::RemoveFile(path);
  } catch (const platform::EFileError&) {
    // Nothing more can be done about it here; the failure is being reported.
  }
}

void AttachmentWriter::TakeLine(std::string_view line) {
  // The line end before a delimiter line belongs to the delimiter, so each
  // line end is written only once another line follows.
  if (lineBefore_) decoder_->Push("\r\n");
  decoder_->Push(line);
  lineBefore_ = true;
}

void AttachmentWriter::Complete(bool lastLineEnd) {
  if (lastLineEnd && lineBefore_) decoder_->Push("\r\n");
  decoder_->Finish();
  sink_.Flush();
  // Closing explicitly lets a failed final write reach the caller.
  file_->Close();
  completed_ = true;
}

}  // namespace pop3
