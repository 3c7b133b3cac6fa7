// Retrieval and extraction of one large message as the message viewer runs
// it: log-in, RETR 1 with MIME extraction (the attachment decoded into the
// attachment folder), QUIT.
//
// Usage: bench_retrieval HOST PORT USER PASSWORD ORIGINAL [RUNS]
// ORIGINAL is a file with the attachment's original content: every run's
// decoded file must equal it. Prints one line: wall and CPU (this process)
// medians of RUNS timed sessions after one untimed warm-up session, the
// RETR-and-extract phase alone, and the process's peak resident memory.

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pop3/Pop3Client.h"
#include "bench/BenchMedian.h"

namespace {

namespace fs = std::filesystem;

struct Sample {
  double wall;
  double cpu;
  double fetch;  // FetchMessage alone
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Whether the two files hold the same bytes, compared a block at a time so
// that the check itself adds nothing worth measuring to the peak memory.
bool SameContent(const std::string& path, const std::string& otherPath) {
  std::ifstream a(path, std::ios::binary), b(otherPath, std::ios::binary);
  if (!a || !b) return false;
  std::vector<char> blockA(64 * 1024), blockB(64 * 1024);
  for (;;) {
    a.read(blockA.data(), static_cast<std::streamsize>(blockA.size()));
    b.read(blockB.data(), static_cast<std::streamsize>(blockB.size()));
    if (a.gcount() != b.gcount() || !std::equal(blockA.begin(), blockA.begin() + a.gcount(), blockB.begin())) {
      return false;
    }
    if (a.gcount() == 0) return true;
  }
}

// One session into an emptied folder; exits when the attachment differs.
Sample Session(pop3::TPop3Client& client, const std::string& folder, const std::string& original) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  const auto wall0 = std::chrono::steady_clock::now();
  const double cpu0 = CpuSeconds();
  client.Connect();
  const auto fetch0 = std::chrono::steady_clock::now();
  client.FetchMessage(1);
  const double fetch = Since(fetch0);
  client.Disconnect();
  const Sample sample{Since(wall0), CpuSeconds() - cpu0, fetch};

  const auto& attachments = client.MailMessage().Attachments;
  if (attachments.Count() != 1 || !SameContent(folder + "/" + attachments.Get(0), original)) {
    std::fprintf(stderr, "bench_retrieval: attachment missing or different from the original\n");
    std::exit(1);
  }
  return sample;
}

// Size of message 1 as the server lists it, in a session of its own.
double ListedMessageBytes(pop3::TPop3Client& client) {
  client.Connect();
  client.ListMessages();
  const double bytes = static_cast<double>(client.ListedSize(1).value_or(0));
  client.Disconnect();
  return bytes;
}

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: bench_retrieval HOST PORT USER PASSWORD ORIGINAL [RUNS]\n");
    return 2;
  }
  QCoreApplication application(argc, argv);
  const std::string original = argv[5];
  const int runs = argc > 6 ? std::max(1, std::atoi(argv[6])) : 7;
  const std::string folder = (fs::temp_directory_path() / ("bench-retrieval." + std::to_string(::getpid()))).string();

  pop3::TPop3Client client;
  client.Host = argv[1];
  client.Port = std::atoi(argv[2]);
  client.UserID = argv[3];
  client.Password = argv[4];
  client.SetAttachFilePath(folder);
  try {
    const Sample first = Session(client, folder, original);
    std::vector<Sample> samples;
    for (int i = 0; i < runs; ++i) samples.push_back(Session(client, folder, original));
    fs::remove_all(folder);
    const double messageBytes = ListedMessageBytes(client);
    std::printf(
        "pop3check RETR %.1f MB + extract + decode attachment: wall median %s cpu median %s first %.3fs runs %d "
        "(RETR+extract %s; attachment equal; peak RSS %.1f MB)\n",
        messageBytes / 1e6,
        bench::Median(samples, &Sample::wall).c_str(), bench::Median(samples, &Sample::cpu).c_str(), first.wall, runs,
        bench::Median(samples, &Sample::fetch).c_str(), PeakResidentKiB() / 1024.0);
  } catch (const std::exception& error) {
    fs::remove_all(folder);
    std::fprintf(stderr, "bench_retrieval: %s\n", error.what());
    return 1;
  }
  return 0;
}
