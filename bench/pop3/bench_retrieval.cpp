// Retrieval and extraction of one large message as the message viewer runs
// it: log-in, RETR 1 with MIME extraction (the attachment decoded into the
// attachment folder), QUIT.
//
// Usage: bench_retrieval HOST PORT USER PASSWORD ORIGINAL [RUNS]
// ORIGINAL is the attachment's original content: every run's decoded file
// must equal it. Prints one line: wall and CPU (this process) medians of
// RUNS timed sessions after one untimed warm-up session, the RETR-and-
// extract phase alone, and the process's peak resident memory.

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
  if (attachments.Count() != 1 || ReadAll(folder + "/" + attachments.Get(0)) != original) {
    std::fprintf(stderr, "bench_retrieval: attachment missing or different from the original\n");
    std::exit(1);
  }
  return sample;
}

// Size of the message as it came, line ends included.
double MessageBytes(const pop3::TMailMessage& message) {
  double bytes = 0;
  for (const auto& line : message.Header) bytes += static_cast<double>(line.size() + 2);
  for (const auto& line : message.RawLines) bytes += static_cast<double>(line.size() + 2);
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
  const std::string original = ReadAll(argv[5]);
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
    std::printf(
        "pop3check RETR %.1f MB + extract + decode attachment: wall median %s cpu median %s first %.3fs runs %d "
        "(RETR+extract %s; attachment equal; peak RSS %.1f MB)\n",
        MessageBytes(client.MailMessage()) / 1e6,
        bench::Median(samples, &Sample::wall).c_str(), bench::Median(samples, &Sample::cpu).c_str(), first.wall, runs,
        bench::Median(samples, &Sample::fetch).c_str(), PeakResidentKiB() / 1024.0);
  } catch (const std::exception& error) {
    fs::remove_all(folder);
    std::fprintf(stderr, "bench_retrieval: %s\n", error.what());
    return 1;
  }
  return 0;
}
