#include "app/AutoCheck.h"
#include "app/CommandRun.h"
#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "platform/core/WindowTimer.h"
#include "platform/gui/SystemBusWatch.h"

namespace app {

namespace {

// While another command runs, the check out of turn asks again this often.
constexpr unsigned kBusyRetryMs = 1000;
// The shortest a window timer runs: at the next turn of the event loop.
constexpr unsigned kAtOnceMs = 1;

}  // namespace

// logind tells of a wake where it runs; comparing the clocks finds every
// other one (and a wake whose signal was missed). Both lead to one check.
void AutoCheck::StartWatchingMachine() {
  sleepLook_ = std::make_unique<platform::WindowTimer>(kSleepLookMs, true);
  sleepLook_->SetOnTimer([this] { LookForSleep(); });
  soon_ = std::make_unique<platform::WindowTimer>(kAtOnceMs, false);
  soon_->SetOnTimer([this] { RunOutOfTurn(); });
  systemBus_ = std::make_unique<platform::SystemBusWatch>();
  systemBus_->OnWake = [this] {
    sleep_.SleptSinceLastLook();  // the same sleep is not found again by the clocks
    Woke();
  };
  systemBus_->OnNetworkUp = [this] { NetworkUp(); };
}

void AutoCheck::LookForSleep() {
  if (sleep_.SleptSinceLastLook()) Woke();
}

// A connection that lived through the sleep answers at once; one that died
// in it would otherwise wait out the whole time-out.
void AutoCheck::Woke() {
  if (form_.commands_->Running()) {
    for (std::size_t i = 0; i < form_.choice_->Count(); ++i)
      form_.choice_->Account(i).Box.Client().LimitRunningWait(kWaitAfterWakeMs);
  }
  CheckSoon();
}

// Only a check that failed for a reason that a lack of network explains is
// tried again; one that a server refused waits for its tick.
void AutoCheck::NetworkUp() {
  if (schedule_.WaitsForNetwork()) CheckSoon();
}

void AutoCheck::CheckSoon() { CheckAfter(kAtOnceMs); }

void AutoCheck::CheckAfter(unsigned delayMs) {
  soon_->SetInterval(delayMs);
  soon_->SetEnabled(true);
}

// The check takes the place of the next tick: the timer's period starts
// afresh, so that no tick follows it a moment later.
void AutoCheck::RunOutOfTurn() {
  soon_->SetEnabled(false);
  TForm1& f = form_;
  if (!f.CheckBox2->Checked()) return;
  if (f.MailAlerted && !f.CheckBox4->Checked()) return;
  if (f.AutoCheckBusy || f.commands_->Running()) return CheckAfter(kBusyRetryMs);
  Run();
  f.commands_->RestartAutoCheckTimer();
}

}  // namespace app
