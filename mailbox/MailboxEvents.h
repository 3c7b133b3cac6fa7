#pragma once

#include <string>

#include "mailbox/LogInRefusal.h"

namespace mailbox {

// What a mailbox tells whoever shows it while a command runs, and the few
// questions it asks. Each is called on the thread the command runs on,
// from inside the command; the defaults do nothing and allow everything.
class MailboxEvents {
 public:
  virtual ~MailboxEvents() = default;

  // A step of the command worth showing: "Working ...", "3 / 12".
  virtual void StatusChanged(const std::string& /*text*/) {}
  // The server refused the log-in: the user name, the password or the
  // access token, or for a reason of its own that refusal names. The
  // log-in has been given up; the command's result says LogIn::Refused.
  virtual void LogInRefused(const LogInRefusal& /*refusal*/) {}
  // The host's name could not be resolved.
  virtual void HostNotFound() {}
  // The host could not be reached.
  virtual void ConnectionFailed() {}
  // The session could not be made safe enough to log in; text says why in
  // words. tlsOffered: the host offered TLS in this session.
  virtual void SecurityRefused(const std::string& /*text*/, const std::string& /*host*/, bool /*tlsOffered*/) {}
  // Asked before a user name and password would cross the network in clear
  // (the host offers no TLS); false keeps them back.
  virtual bool PlaintextLogInAllowed(const std::string& /*host*/) { return true; }
  // The log-in is done. tls: the TLS version of the session, empty in
  // plaintext; tlsOffered: the host offered TLS.
  virtual void LoggedIn(const std::string& /*host*/, const std::string& /*tls*/, bool /*tlsOffered*/) {}
  // The server answered -ERR to DELE.
  virtual void DeletionRefused() {}
  // The user asked the running manual check to stop after the current row.
  virtual bool StopRequested() { return false; }
  // The program is closing: the command gives up and shows nothing more.
  virtual bool Closing() { return false; }
  // An attachment file is about to be written under fileName, which may be
  // changed.
  virtual void AttachmentStarting(std::string& /*fileName*/) {}
  // An attachment file is in place.
  virtual void AttachmentSaved() {}
};

}  // namespace mailbox
