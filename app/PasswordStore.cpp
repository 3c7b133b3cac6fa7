#include "app/PasswordStore.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "app/PasswordScrambler.h"
#include "app/Settings.h"
#include "platform/core/DataFolder.h"
#include "platform/core/EventLoop.h"

namespace app {

namespace {

namespace keyring = platform::keyring;

bool MarkedInKeyring(const platform::ProfileFile& file, const std::string& section) {
  return file.ReadString(section, settings::kPasswordIn, "") == settings::kInKeyring;
}

bool Answered(keyring::Status status) {
  return status == keyring::Status::Done || status == keyring::Status::NotFound;
}

// The call's own time-out ends every wait; the deadline only guards against
// a run without an event loop to deliver it.
void WaitForAnswer(const keyring::Call& call, const std::function<bool()>& giveUp) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(keyring::kKeyringTimeoutMs);
  while (!call.Finished() && !(giveUp && giveUp())) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return;
    platform::WaitForEvents(static_cast<int>(left));
  }
}

}  // namespace

PasswordStore::PasswordStore(std::string section, std::string entry)
    : section_(std::move(section)), entry_(std::move(entry)) {}

void PasswordStore::MoveTo(std::string section, std::string entry) {
  section_ = std::move(section);
  entry_ = std::move(entry);
}
PasswordStore::~PasswordStore() = default;

std::string PasswordStore::Load(const platform::ProfileFile& file) {
  read_.reset();
  std::string stored = DecodeStoredPassword(file.ReadString(section_, settings::kPassword, ""));
  if (!MarkedInKeyring(file, section_)) return stored;
  fileFallback_ = stored;
  read_ = keyring::StartRead(entry_);
  read_->OnFinished = [this] { ReadAnswered(); };
  return {};
}

bool PasswordStore::Rename(std::string section, std::string entry, const std::function<void()>& beforeWaiting) {
  const bool moved = entry != entry_ && MarkedInKeyring(SettingsFile(), section) && !PasswordUnread();
  if (moved) Ask([this] { return keyring::StartRemove(entry_); }, beforeWaiting);
  MoveTo(std::move(section), std::move(entry));
  return moved;
}

bool PasswordStore::Reading() const { return read_ && !read_->Finished(); }

void PasswordStore::AwaitRead(const std::function<bool()>& giveUp) {
  if (Reading()) WaitForAnswer(*read_, giveUp);
}

void PasswordStore::ReadAnswered() {
  keyring::Status status = read_->Result();
  if (status == keyring::Status::NoAnswer) keyringSilent_ = true;
  // The password is still there for a later run; a save that has no new
  // password to store must not drop it (see Save).
  if (!Answered(status)) ReportNoKeyring();
  const std::string& password = status == keyring::Status::Done ? read_->Password() : fileFallback_;
  if (!password.empty() && OnPasswordRead) OnPasswordRead(password);
}

bool PasswordStore::PasswordUnread() const { return read_ && (!read_->Finished() || !Answered(read_->Result())); }

// The keyring's entry is removed only when the settings file says it is
// there, so that a run without a saved password asks the keyring nothing.
void PasswordStore::Save(const std::string& password, bool keep, const std::function<void()>& beforeWaiting) {
  using namespace settings;
  bool markedInKeyring = MarkedInKeyring(SettingsFile(), section_);
  if (!keep && PasswordUnread() && password.empty()) {
    WriteSetting(section_, kPassword, "");
    return;
  }
  if (keep && Ask([&] { return keyring::StartStore(entry_, password); }, beforeWaiting) ==
                  keyring::Status::Done) {
    WriteSetting(section_, kPassword, "");
    WriteSetting(section_, kPasswordIn, kInKeyring);
    return;
  }
  if (keep) ReportNoKeyring();
  if (!keep && markedInKeyring) Ask([this] { return keyring::StartRemove(entry_); }, beforeWaiting);
  WriteSetting(section_, kPassword, keep ? EncodeStoredPassword(password) : std::string());
  if (markedInKeyring) WriteSetting(section_, kPasswordIn, "");
}

// The keyring library runs its calls one at a time: after one that got no
// answer, the next would only queue behind it. A read still out counts
// too, and the wait ends as soon as that read gives up.
keyring::Status PasswordStore::Ask(const std::function<std::unique_ptr<keyring::Call>()>& start,
                                   const std::function<void()>& beforeWaiting) {
  if (keyringSilent_) return keyring::Status::NoAnswer;
  std::unique_ptr<keyring::Call> call = start();
  if (beforeWaiting) beforeWaiting();
  WaitForAnswer(*call, [this] { return keyringSilent_; });
  if (!call->Finished()) return keyring::Status::NoAnswer;
  if (call->Result() == keyring::Status::NoAnswer) keyringSilent_ = true;
  return call->Result();
}

// Said once per run, on the terminal or in the session's log: a box at
// close would keep the window from closing.
void PasswordStore::ReportNoKeyring() {
  if (noKeyringReported_) return;
  noKeyringReported_ = true;
  std::fprintf(stderr, "pop3check: no keyring answered; the saved password is kept scrambled in %s\n",
               platform::SettingsFilePath().c_str());
}

}  // namespace app
