#pragma once

#include <string>

#include "mailbox/MailboxEvents.h"

namespace app {

class TForm1;

// The mailbox's events, answered by the window's handlers.
class WindowMailboxEvents : public mailbox::MailboxEvents {
 public:
  explicit WindowMailboxEvents(TForm1& form) : form_(form) {}

  void StatusChanged(const std::string& text) override;
  void LogInRefused(const mailbox::LogInRefusal& refusal) override;
  void HostNotFound() override;
  void ConnectionFailed() override;
  void SecurityRefused(const std::string& text, const std::string& host, bool tlsOffered) override;
  bool PlaintextLogInAllowed(const std::string& host) override;
  void LoggedIn(const std::string& host, const std::string& tls, bool tlsOffered) override;
  void DeletionRefused() override;
  bool StopRequested() override;
  bool Closing() override;
  void AttachmentStarting(std::string& fileName) override;
  void AttachmentSaved() override;

 private:
  TForm1& form_;
};

}  // namespace app
