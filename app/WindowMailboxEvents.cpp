#include "app/WindowMailboxEvents.h"

#include "app/CommandRun.h"
#include "app/LogInRefusalText.h"
#include "app/POP3Unit1.h"
#include "app/SettingsStore.h"
#include "app/StatusLine.h"

namespace app {

void WindowMailboxEvents::StatusChanged(const std::string& text) { form_.status_->Show(text); }

// Wrong credentials get the design's box and stop the automatic check. A
// refusal the server explains gets its own box; one that passes by itself
// leaves the automatic check running, and an automatic check shows it on
// the status line instead (a box per tick would pile up).
void WindowMailboxEvents::LogInRefused(const mailbox::LogInRefusal& refusal) {
  if (form_.QuietFailures) {
    form_.ConnectPending = false;
    return;
  }
  if (refusal.Kind == mailbox::LogInRefusalKind::Credentials) {
    bool handled = false;
    form_.POP3AuthenticationFailed(handled);
    return;
  }
  form_.ConnectPending = false;
  if (refusal.Passes() && form_.AutoCheckBusy) return;
  platform::ShowInformation(RefusalBoxText(refusal));
  if (!refusal.Passes()) form_.CheckBox2->SetChecked(false);
}

void WindowMailboxEvents::HostNotFound() {
  bool handled = false;
  form_.POP3InvalidHost(handled);
}

void WindowMailboxEvents::ConnectionFailed() { form_.POP3ConnectionFailed(nullptr); }

// Over several mailboxes, the automatic check names the one that failed
// in the tray hint instead.
void WindowMailboxEvents::SecurityRefused(const std::string& text, const std::string& host, bool tlsOffered) {
  if (form_.QuietFailures) {
    if (tlsOffered) form_.settings_->RememberTls(host);
    return;
  }
  form_.POP3SecurityFailure(text, host, tlsOffered);
}

bool WindowMailboxEvents::PlaintextLogInAllowed(const std::string& host) {
  bool handled = false;
  form_.POP3PlaintextLogin(host, handled);
  return handled;
}

// The label's hint tells of the chosen mailbox's sessions only.
void WindowMailboxEvents::LoggedIn(const std::string& host, const std::string& tls, bool tlsOffered) {
  if (form_.QuietFailures) {
    if (tlsOffered) form_.settings_->RememberTls(host);
    return;
  }
  form_.POP3LoggedIn(host, tls, tlsOffered);
}

void WindowMailboxEvents::DeletionRefused() { form_.POP3Failure(nullptr); }

bool WindowMailboxEvents::StopRequested() { return form_.StopRequested; }

bool WindowMailboxEvents::Closing() { return form_.commands_->CloseRequested(); }

void WindowMailboxEvents::AttachmentStarting(std::string& fileName) { form_.POP3DecodeStart(fileName); }

void WindowMailboxEvents::AttachmentSaved() { form_.POP3DecodeEnd(nullptr); }

}  // namespace app
