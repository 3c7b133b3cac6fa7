// One POP3 session as the mail checker's analysing check runs it: log-in,
// STAT, LIST, then the summary of every message, QUIT.
//
// Usage: pop3_bench HOST PORT USER PASSWORD [RUNS] [walk|walk1|single] [decode] [tls:CAFILE]
// walk (the default) fetches the summaries as the window's check does, with
// SummaryPipeline (pipelined where the server allows it, sizes from the
// listing); walk1 is the same walk with one command out at a time, the
// conversation the check has with a server that does not list PIPELINING;
// single calls FetchSummary per message (TOP n 0 and LIST n, one command at
// a time), as the check did before.
// decode also decodes each summary's sender, subject and date, as the list
// shows them.
// With tls:CAFILE the session runs over implicit TLS, the certificate
// verified against CAFILE.
// Prints one line: wall and CPU (this process) medians of RUNS timed
// sessions, after one untimed warm-up session. With "decode", each
// summary's sender and subject are decoded and its date read as the list
// shows them (encoded words, charsets, the local date).

#include <sys/resource.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "codec/EncodedWords.h"
#include "codec/MailDate.h"
#include "pop3/Pop3Client.h"
#include "pop3/SummaryPipeline.h"
#include "bench/BenchMedian.h"

namespace {

struct Sample {
  double wall;
  double cpu;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

bool decodeSummaries = false;
std::size_t decodedBytes = 0;

std::string FieldOf(const pop3::TSummary& summary, const char* name) {
  const int at = summary.Header.FindField(name);
  if (at < 0) return {};
  const std::string& line = summary.Header[at];
  const std::size_t colon = line.find(':');
  return colon == std::string::npos ? std::string() : line.substr(colon + 1);
}

// What the list makes of a summary: its shown sender, subject and date.
void DecodeSummary(const pop3::TSummary& summary) {
  decodedBytes += codec::DecodeHeaderText(FieldOf(summary, "From")).size();
  decodedBytes += codec::DecodeHeaderText(FieldOf(summary, "Subject")).size();
  decodedBytes += codec::ShownMailDate(FieldOf(summary, "Date")).size();
}

// Returns the number of messages summarised; exits when a summary lacks its
// subject (the peer checks the same).
enum class Mode { Walk, WalkOneAtATime, Single } mode = Mode::Walk;

int Session(pop3::TPop3Client& client) {
  client.Connect();
  std::vector<std::int32_t> numbers;
  client.OnList = [&](std::int32_t msg, std::int32_t) { numbers.push_back(msg); };
  client.ListMessages();
  std::map<std::int32_t, std::string> ids;
  client.ListUniqueIds(ids);
  int subjects = 0;
  if (mode != Mode::Single) {
    pop3::SummaryPipeline::Limits limits;
    if (mode == Mode::WalkOneAtATime) limits.MaxCommands = 1;
    pop3::SummaryPipeline summaries(client, numbers, limits);
    for (std::int32_t msg : numbers) {
      summaries.FetchSummary(msg);
      subjects += client.Summary().Header.FindField("Subject") >= 0;
      if (decodeSummaries) DecodeSummary(client.Summary());
    }
    summaries.Finish();
  } else {
    for (std::int32_t msg : numbers) {
      client.FetchSummary(msg);
      subjects += client.Summary().Header.FindField("Subject") >= 0;
      if (decodeSummaries) DecodeSummary(client.Summary());
    }
  }
  client.Disconnect();
  if (subjects != client.MailCount() || static_cast<int>(numbers.size()) != client.MailCount()) {
    std::fprintf(stderr, "pop3_bench: %d of %d messages had a Subject\n", subjects, client.MailCount());
    std::exit(1);
  }
  return subjects;
}

Sample Timed(pop3::TPop3Client& client, int& count) {
  auto wall0 = std::chrono::steady_clock::now();
  double cpu0 = CpuSeconds();
  count = Session(client);
  std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall0;
  return {wall.count(), CpuSeconds() - cpu0};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: pop3_bench HOST PORT USER PASSWORD [RUNS] [walk|walk1|single] [decode] [tls:CAFILE]\n");
    return 2;
  }
  QCoreApplication application(argc, argv);
  const int runs = argc > 5 ? std::atoi(argv[5]) : 7;
  pop3::TPop3Client client;
  client.Host = argv[1];
  client.Port = std::atoi(argv[2]);
  client.UserID = argv[3];
  client.Password = argv[4];
  // As the window's check talks: CAPA before the log-in, then (where the
  // server pipelines) USER with PASS, and STAT with LIST and UIDL.
  client.Security = pop3::SecurityMode::Auto;
  client.ListOnLogIn = true;
  for (int i = 6; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "decode") {
      decodeSummaries = true;
    } else if (arg == "single") {
      mode = Mode::Single;
    } else if (arg == "walk1") {
      mode = Mode::WalkOneAtATime;
    } else if (arg.rfind("tls:", 0) == 0) {
      client.Security = pop3::SecurityMode::TLS;
      client.TlsCAFile = arg.substr(4);
    }
  }
  try {
    int count = 0;
    Sample first = Timed(client, count);
    std::vector<Sample> samples;
    for (int i = 0; i < runs; ++i) samples.push_back(Timed(client, count));
    std::printf("pop3check%s %s x%d (1 session, summaries filled%s): wall median %s cpu median %s first %.3fs runs %d\n",
                client.Security == pop3::SecurityMode::TLS ? " TLS" : "",
                mode == Mode::Walk             ? "summary walk"
                : mode == Mode::WalkOneAtATime ? "summary walk one command at a time (as without PIPELINING)"
                                               : "FetchSummary one by one (TOP+LIST)", count, decodeSummaries ? ", sender/subject/date decoded" : "", bench::Median(samples, &Sample::wall).c_str(), bench::Median(samples, &Sample::cpu).c_str(), first.wall,
                runs);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pop3_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
