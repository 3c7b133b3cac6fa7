// Message retrieval after the wire: the answer's lines go through the
// client's own answer reader (AnswerReader) and the step FetchMessage runs
// on them (ReadMessage: the one walk of the message as it is read, its
// display text, its attachments decoded into a private attachment folder).
//
// Checked: only the documented failures are raised; every file the
// extraction creates is a plain file directly inside the attachment folder
// (the folder's parent holds nothing else afterwards); no file takes a name
// the program owns (settings, sound, part file names in any case); every
// attachment name is a plain name (see PlainName) the program does not
// own; every attachment listed is still there at the end (no later
// attachment replaced it).
//
// Input: one control byte (bit 0: Parse; bit 1: an OnDecodeStart handler
// that answers with the first line of the rest), then the message as the
// server sends it, lines ended by LF or CR LF.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzTempDir.h"
#include "codec/CharacterClasses.h"
#include "codec/Charset.h"
#include "codec/Stream.h"
#include "codec/Utf8.h"
#include "platform/core/DataFolder.h"
#include "platform/core/Exception.h"
#include "platform/core/Files.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Fetch.h"

namespace fs = std::filesystem;

namespace {

using pop3::TPop3Client;

struct Folders {
  std::string parent;
  std::string box;
};

const Folders& TheFolders() {
  static const Folders folders = [] {
    Folders f;
    f.parent = FuzzTempDir("mime");
    f.box = f.parent + "/box";
    platform::CreateFolder(f.box);
    return f;
  }();
  return folders;
}

TPop3Client& Client() {
  static TPop3Client* client = [] {
    auto* c = new TPop3Client();
    c->SetAttachFilePath(TheFolders().box);
    return c;
  }();
  return *client;
}

// The state FetchMessage sets before it sends RETR.
void Reset(TPop3Client& client) {
  client.MailMessage().Boundary.clear();
}

// Hands out the input's lines with their ends in batches of up to three,
// then the terminating line, as the transport's bulk read does.
class LineSource {
 public:
  explicit LineSource(std::string text) : text_(std::move(text)) {}
  bool Next(std::vector<std::string>& lines, std::size_t maxLines) {
    lines.clear();
    while (lines.size() < std::min<std::size_t>(maxLines, 3)) {
      if (start_ >= text_.size()) {
        lines.push_back(".\r\n");
        break;
      }
      const std::size_t lf = text_.find('\n', start_);
      const std::size_t end = lf == std::string::npos ? text_.size() : lf + 1;
      std::string line = text_.substr(start_, end - start_);
      start_ = end;
      if (line.back() != '\n') line += "\r\n";
      lines.push_back(std::move(line));
    }
    return true;
  }

 private:
  std::string text_;
  std::size_t start_ = 0;
};

// What FetchMessage does between RETR and the optional DELE.
void Retrieve(TPop3Client& client, LineSource& source) {
  pop3::AnswerReader answer([&source](std::vector<std::string>& lines,
                                       std::size_t maxLines) { return source.Next(lines, maxLines); },
                             [] {}, pop3::MessageLimits(), pop3::DotStuffing::Remove);
  pop3::ReadMessage(client, answer);
}

// A name that shows what it is: UTF-8 without a path separator, controls
// or invisible format characters, neither starting with a blank or a "-"
// nor ending with a blank. (A trailing dot may come from numbering: the
// alternatives of "x" are "_1.", "_2.", ...)
bool PlainName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return false;
  if (!codec::IsUtf8(name) || name[0] == '-') return false;
  char32_t last = 0;
  for (std::size_t i = 0; i < name.size();) {
    const codec::Utf8Piece piece = codec::NextUtf8Piece(name, i);
    last = piece.CodePoint;
    if (codec::IsControlOrFormat(last) || (i == 0 && codec::IsSpaceSeparator(last))) return false;
    i += piece.Length;
  }
  return !codec::IsSpaceSeparator(last);
}

// The attachments listed are the files written, and none is lost to a
// later part (files are only ever created new), whatever the names.
void CheckAttachmentsKept(const TPop3Client& client) {
  for (const std::string& name : client.MailMessage().Attachments) {
    std::error_code error;
    FUZZ_CHECK(fs::is_regular_file(TheFolders().box + "/" + name, error));
  }
}

// Nothing outside the folder; inside it only plain files, and none that
// takes a name the program owns.
void CheckFolders(const TPop3Client& client) {
  const Folders& folders = TheFolders();
  FUZZ_CHECK(ListFolder(folders.parent) == "box\n");
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folders.box, error)) {
    FUZZ_CHECK(fs::is_regular_file(fs::symlink_status(entry.path(), error)));
    const std::string name = entry.path().filename().string();
    FUZZ_CHECK(!platform::IsProgramFileName(name));
  }
  FUZZ_CHECK(!error);
  for (const std::string& name : client.MailMessage().Attachments) {
    FUZZ_CHECK(PlainName(name));
    FUZZ_CHECK(!platform::IsProgramFileName(name));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  TPop3Client& client = Client();
  std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  client.Parse = (data[0] & 1) != 0;
  client.OnDecodeStart = nullptr;
  if ((data[0] & 2) != 0) {
    const std::size_t lf = rest.find('\n');
    const std::string answer = rest.substr(0, lf);
    rest.erase(0, lf == std::string::npos ? rest.size() : lf + 1);
    client.OnDecodeStart = [answer](std::string& fileName) { fileName = answer; };
  }

  EmptyFolder(TheFolders().box);
  Reset(client);
  LineSource source(rest);
  try {
    Retrieve(client, source);
  } catch (const platform::Exception&) {
    // EListError (no boundary line, no attachment), EFileError.
  } catch (const codec::EStreamError&) {
  }
  CheckFolders(client);
  CheckAttachmentsKept(client);
  return 0;
}
