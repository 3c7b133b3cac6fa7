// The memory of the message view: the real main window, offscreen, checks
// a mailbox holding one large message, opens its header view (a double
// click on its row), then its body view (a double click on the header: RETR,
// decoding, attachments written into the data folder), and closes the view
// with Esc (a message past the retrieval's caps fails to open its body
// view, and the header view is closed instead). Prints the resident memory before the views, the peak while
// the body view opened (the peak is reset first, through
// /proc/self/clear_refs), the resident memory with the body view shown and
// after it was closed, each also as a multiple of the message's size.
//
// Usage: view_memory_bench SERVER USER PASSWORD MESSAGE_BYTES
// (SERVER as typed into the server edit: "host:port"; MESSAGE_BYTES the
// message's size as the server lists it, for the ratios). Run with HOME set
// to a folder of its own: the window keeps its settings and the data folder
// there. Linux only.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/POP3Unit1.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/testing/TestAccess.h"
#include "bench/app/BenchWindow.h"

namespace {

namespace access = platform::test_access;

constexpr char kEscape = 27;
constexpr double kMiB = 1024.0 * 1024.0;

// A "Vm...:  N kB" line of /proc/self/status, in bytes.
double StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::strtod(line.c_str() + field.size() + 1, nullptr) * 1024.0;
  }
  return 0;
}

double ResidentBytes() { return StatusBytes("VmRSS"); }
double PeakBytes() { return StatusBytes("VmHWM"); }

// Makes the peak start again from the resident memory of now.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "view_memory_bench: %s\n", what.c_str());
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: view_memory_bench SERVER USER PASSWORD MESSAGE_BYTES\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  platform::Application application(argc, argv);
  platform::dialog_script::SetScripted(true);
  const double messageBytes = std::strtod(argv[4], nullptr);

  app::TForm1 form;
  bench::EnterAccount(form, argv[1], argv[2], argv[3]);
  access::Click(*form.CheckButton);
  if (form.StringGrid1->RowCount() < 1 || form.StringGrid1->Cell(2, 0).empty()) Fail("the check listed no message");

  // The body fetch's own moment: the message is held, nothing shown yet.
  double heldAfterRetr = 0;
  auto retrieveEnd = form.Mailbox().Client().OnRetrieveEnd;
  form.Mailbox().Client().OnRetrieveEnd = [&](platform::TComponent* sender) {
    if (retrieveEnd) retrieveEnd(sender);
    heldAfterRetr = ResidentBytes();
  };

  const double before = ResidentBytes();
  ResetPeak();
  access::DoubleClickCell(*form.StringGrid1, 0, 2);
  if (form.ViewerMessage != 1 || !form.Memo1->Visible()) Fail("the header view did not open");
  const double headerPeak = PeakBytes();
  const double headerShown = ResidentBytes();

  ResetPeak();
  access::DoubleClick(*form.Memo1);
  // A message past the retrieval's caps fails: the header view stays.
  const bool bodyShownOk = form.Label5->Text() == "Body - ESC to close";
  if (!bodyShownOk && form.Label5->Text() != "Header - ESC to close") Fail("the view shows " + form.Label5->Text());
  const double bodyPeak = PeakBytes();
  const double bodyShown = ResidentBytes();
  const double shownBytes = static_cast<double>(form.Memo1->Text().size());

  access::KeyPress(*form.Memo1, kEscape);
  if (form.Memo1->Visible()) Fail("Esc did not close the view");
  const double after = ResidentBytes();

  std::printf("message %.1f MiB (view text %.1f MiB)\n", messageBytes / kMiB, shownBytes / kMiB);
  std::printf("  RSS before the views      %7.1f MiB\n", before / kMiB);
  std::printf("  peak, header view         %7.1f MiB   RSS shown %7.1f MiB\n", headerPeak / kMiB, headerShown / kMiB);
  std::printf("  RSS when RETR ended       %7.1f MiB   (+%.2fx the message)\n", heldAfterRetr / kMiB,
              (heldAfterRetr - before) / messageBytes);
  std::printf("  peak, body view           %7.1f MiB   (+%.2fx the message over before; %.2fx in all)\n",
              bodyPeak / kMiB, (bodyPeak - before) / messageBytes, bodyPeak / messageBytes);
  std::printf("  RSS, %-20s %7.1f MiB   (+%.2fx the message)\n", bodyShownOk ? "body view shown" : "body fetch failed",
              bodyShown / kMiB,
              (bodyShown - before) / messageBytes);
  std::printf("  RSS after Esc             %7.1f MiB   (+%.1f MiB over before)\n", after / kMiB,
              (after - before) / kMiB);
  return 0;
}
