// Message retrieval after the wire: the answer's lines go through the
// client's own line handling (TAnswerLines) and the step FetchMessage runs
// on them (ReadMessage: the main header through the extractor, every later
// line into RawLines, then the multipart split, plain body, or a single
// part as an attachment), which writes its files into a private attachment
// folder.
//
// Checked: only the documented failures are raised; every file the
// extraction creates is a plain file directly inside the attachment folder
// (the folder's parent holds nothing else afterwards); every attachment
// name is a plain name; without an OnDecodeStart handler every attachment
// listed is still there at the end (no later part file replaced it).
//
// Input: one control byte (bit 0: Parse; bit 1: an OnDecodeStart handler
// that answers with the first line of the rest), then the message as the
// server sends it, lines ended by LF or CR LF.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "FuzzCheck.h"
#include "FuzzTempDir.h"
#include "codec/Stream.h"
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
  client.Encoding.clear();
  client.MailMessage().Boundary.clear();
  client.AttachName.clear();
  client.PartState = 2;
}

// Hands out the input's lines with their ends, then the terminating line.
class LineSource {
 public:
  explicit LineSource(std::string text) : text_(std::move(text)) {}
  std::string Next() {
    if (start_ >= text_.size()) return ".\r\n";
    const std::size_t lf = text_.find('\n', start_);
    const std::size_t end = lf == std::string::npos ? text_.size() : lf + 1;
    std::string line = text_.substr(start_, end - start_);
    start_ = end;
    if (line.back() != '\n') line += "\r\n";
    return line;
  }

 private:
  std::string text_;
  std::size_t start_ = 0;
};

// What FetchMessage does between RETR and the optional DELE.
void Retrieve(TPop3Client& client, LineSource& source) {
  pop3::TAnswerLines answer([&source] { return source.Next(); }, [] {});
  pop3::ReadMessage(client, answer);
}

bool PlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

// Without a handler renaming them, the attachments listed are the files
// written, and none is lost to a later part (names the system refuses for
// their length aside).
void CheckAttachmentsKept(const TPop3Client& client) {
  const auto& names = client.MailMessage().Attachments;
  for (const std::string& name : names) {
    if (name.size() > 200) return;
  }
  for (const std::string& name : names) {
    std::error_code error;
    FUZZ_CHECK(fs::is_regular_file(TheFolders().box + "/" + name, error));
  }
}

void CheckFolders(const TPop3Client& client) {
  const Folders& folders = TheFolders();
  FUZZ_CHECK(ListFolder(folders.parent) == "box\n");
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folders.box, error)) {
    FUZZ_CHECK(fs::is_regular_file(fs::symlink_status(entry.path(), error)));
  }
  FUZZ_CHECK(!error);
  for (const std::string& name : client.MailMessage().Attachments) FUZZ_CHECK(PlainName(name));
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
  if (!client.OnDecodeStart) CheckAttachmentsKept(client);
  return 0;
}
