#include "pop3/AnswerReader.h"

#include <utility>

#include "net/LineSocket.h"
#include "platform/core/Exception.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Reply.h"

namespace pop3 {

namespace {

// Lines one bulk read hands out at most: 64 KiB of 78-byte lines are about
// 840, and short lines should not make one batch much larger.
constexpr std::size_t kBatchLines = 4096;

}  // namespace

AnswerReader::AnswerReader(TPop3Client& client, AnswerLimits limits, DotStuffing dots)
    : AnswerReader(
          [&client, maxLineBytes = limits.maxLineBytes](std::vector<std::string>& lines, std::size_t maxLines) {
            return client.net::TLineSocket::ReadLines(lines, maxLines, true, maxLineBytes);
          },
          [&client] { client.DropConnection(); }, std::move(limits), dots) {}

AnswerReader::AnswerReader(BatchSource source, std::function<void()> drop, AnswerLimits limits,
                             DotStuffing dots)
    : source_(std::move(source)), drop_(std::move(drop)), limits_(std::move(limits)), dots_(dots) {}

bool AnswerReader::Next(std::string& line) {
  if (finished_) return false;
  try {
    return NextUnguarded(line);
  } catch (...) {
    drop_();
    throw;
  }
}

void AnswerReader::ReadRest(const std::function<void(std::string& line)>& take) {
  std::string line;
  while (Next(line)) {
    try {
      take(line);
    } catch (...) {
      drop_();
      throw;
    }
  }
}

bool AnswerReader::ReadBatch() {
  try {
    return source_(batch_, kBatchLines);
  } catch (const net::ERangeError&) {
    // A line as long as the whole answer may be is an answer too long.
    if (limits_.maxLineBytes >= limits_.maxBytes) throw EAnswerTooLong(limits_.tooLongText);
    throw;
  }
}

bool AnswerReader::NextUnguarded(std::string& line) {
  if (next_ == batch_.size()) {
    next_ = 0;
    if (!ReadBatch() || batch_.empty()) {
      batch_.clear();
      throw net::ESockError(kConnectionClosedText);
    }
  }
  line = std::move(batch_[next_++]);
  if (net::IsAnswerTerminator(line)) {
    finished_ = true;
    batch_.clear();
    next_ = 0;
    return false;
  }
  bytes_ += line.size();
  if (++lines_ > limits_.maxLines || bytes_ > limits_.maxBytes) throw EAnswerTooLong(limits_.tooLongText);
  // A line without its line end can only be the last one of a closing
  // connection; the next read reports the close.
  if (!line.empty() && line.back() == '\n') {
    line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  if (dots_ == DotStuffing::Remove && line.size() >= 2 && line[0] == '.' && line[1] == '.') line.erase(0, 1);
  return true;
}

}  // namespace pop3
