// Extracts real messages the way the body view does: each message file is
// handed out line by line as a POP3 server sends it (line ends made CR LF,
// lines starting with "." doubled, then the terminating line), read by the
// client's own answer reader (AnswerReader) and extracted by ReadMessage,
// with Parse off, into a folder of its own.
//
// Usage: mime_corpus_extract OUT MESSAGE...
// For each MESSAGE it writes OUT/<file name>/ (the attachment folder) and
// OUT/<file name>.result: "ok" or "error <what was raised>", then one line
// per entry of MailMessage.Attachments. Prints the time the extraction of
// all messages took, in seconds, on its last line.
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pop3/AnswerReader.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Fetch.h"

namespace {

// The message's lines as the server sends them, then ".", in batches as
// the transport's bulk read hands them out.
class ServerLines {
 public:
  explicit ServerLines(std::string text) : text_(std::move(text)) {}
  bool Next(std::vector<std::string>& lines, std::size_t maxLines) {
    lines.clear();
    while (lines.size() < maxLines) {
      if (start_ >= text_.size()) {
        lines.emplace_back(".\r\n");
        break;
      }
      const std::size_t lf = text_.find('\n', start_);
      const std::size_t end = lf == std::string::npos ? text_.size() : lf + 1;
      std::string line = text_.substr(start_, end - start_);
      start_ = end;
      if (line.back() == '\n') line.pop_back();
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty() && line[0] == '.') line.insert(0, 1, '.');
      lines.push_back(line + "\r\n");
    }
    return true;
  }

 private:
  std::string text_;
  std::size_t start_ = 0;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Returns the time spent in the client's code.
double Extract(const std::string& path, const std::filesystem::path& out) {
  const std::string name = std::filesystem::path(path).filename().string();
  const std::filesystem::path box = out / name;
  std::filesystem::create_directories(box);
  ServerLines source(ReadWhole(path));

  pop3::TPop3Client client;
  client.SetAttachFilePath(box.string());
  std::string outcome = "ok";
  const auto start = std::chrono::steady_clock::now();
  try {
    pop3::AnswerReader answer(
        [&source](std::vector<std::string>& lines, std::size_t maxLines) { return source.Next(lines, maxLines); },
        [] {}, pop3::MessageLimits(), pop3::DotStuffing::Remove);
    pop3::ReadMessage(client, answer);
  } catch (const std::exception& error) {
    outcome = std::string("error ") + error.what();
  }
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;

  std::ofstream result(out / (name + ".result"), std::ios::binary);
  result << outcome << '\n';
  for (const std::string& attachment : client.MailMessage().Attachments) result << attachment << '\n';
  return spent.count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUT MESSAGE...\n", argv[0]);
    return 2;
  }
  const std::filesystem::path out(argv[1]);
  double seconds = 0;
  for (int i = 2; i < argc; ++i) seconds += Extract(argv[i], out);
  std::printf("%.6f\n", seconds);
  return 0;
}
