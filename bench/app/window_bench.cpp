// The whole window's summary check: the real main window, offscreen, with
// "Analyse" ticked; a click on "Check Mail Headers" logs in, lists and
// fills every row. Measures the time from the click to the last row filled
// (the summary handler's last write), and to the click's return (QUIT and
// the controls given back), so that the list filling is measured with the
// client.
//
// Usage: window_bench SERVER USER PASSWORD [RUNS]   (SERVER as typed into
// the server edit: "host:port"). Run with HOME set to a folder of its own:
// the window keeps its settings there. Prints one line: medians with
// [min-max] of RUNS timed checks after one untimed warm-up check.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ListView.h"
#include "app/POP3Unit1.h"
#include "bench/BenchMedian.h"
#include "bench/app/BenchWindow.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/testing/TestAccess.h"

namespace {

namespace access = platform::test_access;
using Clock = std::chrono::steady_clock;

struct Sample {
  double lastRowFilled;
  double clickReturned;
};

int FilledRows(app::TForm1& form) {
  int filled = 0;
  for (int row = 0; row < form.StringGrid1->RowCount(); ++row)
    filled += !form.StringGrid1->Cell(app::kSubjectColumn, row).empty();
  return filled;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: window_bench SERVER USER PASSWORD [RUNS]\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  platform::Application application(argc, argv);
  platform::dialog_script::SetScripted(true);
  const int runs = argc > 4 ? std::atoi(argv[4]) : 7;

  app::TForm1 form;
  bench::EnterAccount(form, argv[1], argv[2], argv[3]);

  Clock::time_point lastFilled;
  auto fillRow = form.Mailbox().Client().OnRetrieveEnd;
  form.Mailbox().Client().OnRetrieveEnd = [&](platform::TComponent* sender) {
    if (fillRow) fillRow(sender);
    lastFilled = Clock::now();
  };
  int rows = 0;
  auto check = [&]() -> Sample {
    const Clock::time_point click = Clock::now();
    access::Click(*form.CheckButton);
    const Clock::time_point returned = Clock::now();
    rows = FilledRows(form);
    if (rows == 0 || rows != form.StringGrid1->RowCount() || !platform::dialog_script::Shown().empty()) {
      std::fprintf(stderr, "window_bench: %d of %d rows filled, %zu boxes shown\n", rows,
                   form.StringGrid1->RowCount(), platform::dialog_script::Shown().size());
      std::exit(1);
    }
    return {std::chrono::duration<double>(lastFilled - click).count(),
            std::chrono::duration<double>(returned - click).count()};
  };
  const Sample first = check();
  std::vector<Sample> samples;
  for (int i = 0; i < runs; ++i) samples.push_back(check());
  std::printf("pop3check window check x%d (click to last row filled): wall median %s first %.3fs runs %d; "
              "click to controls back %s\n",
              rows, bench::Median(samples, &Sample::lastRowFilled).c_str(), first.lastRowFilled, runs,
              bench::Median(samples, &Sample::clickReturned).c_str());
  return 0;
}
