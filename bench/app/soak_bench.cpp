// Months in the tray, in one process: the real main window, offscreen,
// checks a mailbox CHECKS times ("Check Mail Headers" with "Analyse"
// ticked) and, after every CHECKS / VIEWS checks, views its newest message
// as a user would: a double click on its row (the header view), a double
// click on the header (the body view; its attachment goes into the data
// folder) and Esc. The saved attachment is removed after each view, so
// that every view does the same work.
//
// Prints the resident memory (VmRSS, and its anonymous part), the heap the
// C library has handed out, and the open file descriptors after the first
// check, after the warm-up checks and then after every 1,000 checks, with
// the growth per check (since the first check up to the warm-up, since the
// warm-up after), so that a steady leak shows apart from a plateau; then one
// summary line against the goal: at most 64 KiB of growth after the
// warm-up and no new descriptor.
//
// Usage: soak_bench SERVER USER PASSWORD ATTACHMENT [CHECKS [VIEWS [WARMUP]]]
// (SERVER as typed into the server edit: "host:port"; ATTACHMENT the file
// name the newest message's attachment is saved under; defaults 10,000
// checks, 1,000 views, 500 warm-up checks; VIEWS may be 0). Run with HOME
// set to a folder of its own: the window keeps its settings and the data
// folder there. With SOAK_SKIP_TEARDOWN set in the environment it ends
// without destroying the window (for heaptrack, see bench/app/soak.sh).
// Linux with glibc only.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <malloc.h>
#include <unistd.h>

#include "app/ListView.h"
#include "app/POP3Unit1.h"
#include "bench/app/BenchWindow.h"
#include "platform/core/DataFolder.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/testing/TestAccess.h"

namespace {

namespace access = platform::test_access;

constexpr char kEscape = 27;
constexpr long kGoalGrowthBytes = 64 * 1024;
constexpr int kReportEvery = 1000;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "soak_bench: %s\n", what.c_str());
  std::exit(1);
}

// A "Name:  N kB" line of /proc/self/status, in bytes.
long StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::strtol(line.c_str() + field.size() + 1, nullptr, 10) * 1024;
  }
  Fail("no " + field + " in /proc/self/status");
}

// The descriptors open now, the one that lists them left out.
int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count - 1;
}

// What the process holds: the resident memory, its anonymous part (the
// rest is pages of mapped files, the libraries' code among them), the bytes
// the C library's allocator has handed out and not got back (what a leak
// makes grow, whatever the pages around it do), and the descriptors.
struct Reading {
  int checks;
  int views;
  long rss;
  long anonymous;
  long heapInUse;
  int fds;
};

Reading Read(int checks, int views) {
  const struct mallinfo2 heap = ::mallinfo2();
  return {checks,
          views,
          StatusBytes("VmRSS"),
          StatusBytes("RssAnon"),
          static_cast<long>(heap.uordblks + heap.hblkhd),
          OpenDescriptors()};
}

void PrintReading(const char* label, const Reading& now, const Reading& base) {
  const long growth = now.rss - base.rss;
  const int checks = now.checks - base.checks;
  std::printf("  %-8s checks %6d views %5d  RSS %8.1f KiB %+7.1f (%+6.1f B/check)  anon %8.1f KiB %+7.1f  "
              "heap in use %8.1f KiB %+7.1f  fds %d\n",
              label, now.checks, now.views, now.rss / 1024.0, growth / 1024.0,
              checks > 0 ? static_cast<double>(growth) / checks : 0.0, now.anonymous / 1024.0,
              (now.anonymous - base.anonymous) / 1024.0, now.heapInUse / 1024.0,
              (now.heapInUse - base.heapInUse) / 1024.0, now.fds);
  std::fflush(stdout);
}

class Soak {
 public:
  Soak(app::TForm1& form, std::string attachment) : form_(form), attachment_(std::move(attachment)) {}

  // One click on "Check Mail Headers": every row listed and summarised, no
  // box shown.
  void Check() {
    access::Click(*form_.CheckButton);
    const int rows = form_.StringGrid1->RowCount();
    int filled = 0;
    for (int row = 0; row < rows; ++row) filled += !form_.StringGrid1->Cell(app::kSubjectColumn, row).empty();
    if (rows == 0 || filled != rows) Fail(std::to_string(filled) + " of " + std::to_string(rows) + " rows filled");
    ExpectBoxes(0);
  }

  // The newest message's header, its body with the attachment saved (and
  // its one box saying so), then Esc.
  void View() {
    access::DoubleClickCell(*form_.StringGrid1, 0, app::kSubjectColumn);
    if (!form_.Memo1->Visible() || form_.Label5->Text() != "Header - ESC to close") {
      Fail("the header view did not open");
    }
    access::DoubleClick(*form_.Memo1);
    if (form_.Label5->Text() != "Body - ESC to close") Fail("the body view did not open: " + form_.Label5->Text());
    ExpectBoxes(1);
    const std::filesystem::path saved = std::filesystem::path(platform::DataFolder()) / attachment_;
    if (!std::filesystem::remove(saved)) Fail("the attachment was not saved as " + saved.string());
    access::KeyPress(*form_.Memo1, kEscape);
    if (form_.Memo1->Visible() || !form_.StringGrid1->Visible()) Fail("Esc did not close the view");
  }

 private:
  void ExpectBoxes(std::size_t count) {
    const auto shown = platform::dialog_script::Shown();
    if (shown.size() != count) {
      Fail(std::to_string(shown.size()) + " boxes shown" + (shown.empty() ? "" : ", the last: " + shown.back().Text));
    }
    // The script keeps what it was shown; the soak must not measure that.
    platform::dialog_script::Reset();
  }

  app::TForm1& form_;
  std::string attachment_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: soak_bench SERVER USER PASSWORD ATTACHMENT [CHECKS [VIEWS [WARMUP]]]\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  platform::Application application(argc, argv);
  platform::dialog_script::SetScripted(true);
  const int checks = argc > 5 ? std::atoi(argv[5]) : 10000;
  const int views = argc > 6 ? std::atoi(argv[6]) : 1000;
  const int warmUp = argc > 7 ? std::atoi(argv[7]) : 500;
  if (checks < 1 || views < 0 || views > checks || warmUp < 2 || warmUp >= checks) Fail("bad counts");
  const int viewEvery = views > 0 ? checks / views : checks + 1;

  app::TForm1 form;
  bench::EnterAccount(form, argv[1], argv[2], argv[3]);
  Soak soak(form, argv[4]);

  const auto started = std::chrono::steady_clock::now();
  // Growth counts from the first check until the warm-up ends, and from
  // the end of the warm-up after.
  Reading first{}, base{}, now{};
  int viewed = 0;
  for (int done = 1; done <= checks; ++done) {
    soak.Check();
    if (done % viewEvery == 0 && viewed < views) {
      soak.View();
      ++viewed;
    }
    const bool report = done == 1 || done == warmUp || (done > warmUp && (done % kReportEvery == 0 || done == checks));
    if (!report) continue;
    now = Read(done, viewed);
    if (done == 1) first = now;
    PrintReading(done == 1 ? "first" : done == warmUp ? "warm-up" : done == checks ? "end" : "", now,
                 done <= warmUp ? first : base);
    if (done == warmUp) base = now;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const long growth = now.rss - base.rss;
  const bool met = growth <= kGoalGrowthBytes && now.fds <= base.fds;
  std::printf("pop3check soak: %d checks of %d rows, %d views in %.0fs: RSS after warm-up %.1f KiB, at the end "
              "%.1f KiB, growth %+.1f KiB (%+.1f bytes/check), heap in use %+.1f KiB; fds %d -> %d; "
              "goal (<= 64 KiB, no new fd) %s\n",
              checks, form.StringGrid1->RowCount(), viewed, seconds, base.rss / 1024.0, now.rss / 1024.0,
              growth / 1024.0, static_cast<double>(growth) / (checks - warmUp),
              (now.heapInUse - base.heapInUse) / 1024.0, base.fds, now.fds, met ? "met" : "NOT met");
  std::fflush(stdout);
  // For heaptrack: what the process holds at the end shows as "leaked".
  if (std::getenv("SOAK_SKIP_TEARDOWN") != nullptr) _exit(0);
  return 0;
}
