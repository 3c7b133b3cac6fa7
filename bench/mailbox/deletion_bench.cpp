// One deletion as the window runs it: a check lists the mailbox (not
// timed), the first TICKED rows are ticked, then the mailbox deletes them
// (timed: log-in, finding every ticked row again, DELE, QUIT).
//
// Usage: deletion_bench HOST:PORT USER PASSWORD TICKED
// Prints one line: "deleted D of T ticked in S s, N log-in(s)". Exits 1
// when not every ticked message was deleted.

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mailbox/Mailbox.h"
#include "mailbox/MailboxEvents.h"

namespace {

class CountedLogIns : public mailbox::MailboxEvents {
 public:
  int logIns = 0;
  void LoggedIn(const std::string&, const std::string&, bool) override { ++logIns; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: deletion_bench HOST:PORT USER PASSWORD TICKED\n");
    return 2;
  }
  QCoreApplication application(argc, argv);
  CountedLogIns events;
  mailbox::Mailbox box(events);
  mailbox::MailboxSettings settings;
  settings.Server = argv[1];
  settings.UserID = argv[2];
  settings.Password = argv[3];
  settings.Security = pop3::SecurityMode::Auto;  // as the window has it: CAPA before the log-in
  box.SetSettings(settings);

  mailbox::CheckOutcome checked;
  box.Check({false, false, 0}, checked);
  const int ticked = std::min(std::atoi(argv[4]), box.List().Count());
  for (int row = 0; row < ticked; ++row) box.List().SetTicked(row, true);

  events.logIns = 0;
  const auto start = std::chrono::steady_clock::now();
  const mailbox::DeletionOutcome outcome = box.DeleteTicked();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("deleted %d of %d ticked in %.3f s, %d log-in(s)\n", outcome.Deleted, ticked, seconds, events.logIns);
  return outcome.Deleted == ticked ? 0 : 1;
}
