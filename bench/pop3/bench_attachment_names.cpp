// Naming of same-named attachments: one message whose parts all carry the
// name a.txt, extracted again and again into the same folder, as repeated
// views of it do. Each view finds the files of every earlier one; with
// numbering in linear time a view costs about as much as the first, while
// a search from 1 for every part makes each view slower than the last.
//
// Usage: bench_attachment_names [PARTS] [VIEWS]
// Prints the seconds of the first and the last view and their ratio (the
// peer of each view is the first one, measured in the same run).

#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pop3/AnswerReader.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Fetch.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> MessageLines(int parts) {
  std::vector<std::string> lines = {"Content-Type: multipart/mixed; boundary=\"XYZ12345\"\r\n", "\r\n",
                                    "--XYZ12345\r\n", "\r\n", "body\r\n"};
  for (int i = 0; i < parts; ++i) {
    lines.push_back("--XYZ12345\r\n");
    lines.push_back("Content-Disposition: attachment; filename=\"a.txt\"\r\n");
    lines.push_back("\r\n");
    lines.push_back("part " + std::to_string(i) + "\r\n");
  }
  lines.push_back("--XYZ12345--\r\n");
  lines.push_back(".\r\n");
  return lines;
}

// One view: the state FetchMessage sets, then what it does after RETR.
double View(pop3::TPop3Client& client, const std::vector<std::string>& message) {
  client.MailMessage().Boundary.clear();
  bool sent = false;
  pop3::AnswerReader answer(
      [&](std::vector<std::string>& lines, std::size_t) {
        lines = sent ? std::vector<std::string>() : message;
        sent = true;
        return !lines.empty();
      },
      [] {}, pop3::MessageLimits(), pop3::DotStuffing::Remove);
  const auto start = std::chrono::steady_clock::now();
  pop3::ReadMessage(client, answer);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const int parts = argc > 1 ? std::atoi(argv[1]) : 999;
  const int views = argc > 2 ? std::atoi(argv[2]) : 8;
  const fs::path folder = fs::temp_directory_path() / ("bench-names-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  pop3::TPop3Client client;
  client.SetAttachFilePath(folder.string());
  const std::vector<std::string> message = MessageLines(parts);
  std::vector<double> seconds;
  for (int i = 0; i < views; ++i) seconds.push_back(View(client, message));
  fs::remove_all(folder);
  std::printf("attachment names: %d parts named a.txt, %d views into one folder: first %.3f s, last %.3f s "
              "(last/first %.2f)\n",
              parts, views, seconds.front(), seconds.back(), seconds.back() / seconds.front());
  return 0;
}
