#include "app/MailboxChoice.h"

#include <exception>
#include <string>

#include "app/CommandRun.h"
#include "app/ListView.h"
#include "app/POP3Unit1.h"
#include "app/Settings.h"
#include "app/SettingsStore.h"
#include "app/WindowMailboxEvents.h"
#include "platform/core/Exception.h"
#include "platform/core/Translate.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"

namespace app {

namespace {
std::string MailboxesMenu() { return platform::Tr("Mailboxes", "&Mailboxes"); }
std::string AddCaption() { return platform::Tr("Mailboxes", "Add mailbox..."); }
std::string RemoveCaption() { return platform::Tr("Mailboxes", "Remove this mailbox..."); }
std::string OnlyMailboxText() {
  return platform::Tr("Mailboxes", "This is the only mailbox: change its server and user name instead.");
}

std::string RemoveQuestion(const std::string& name) {
  return platform::Substitute(
      platform::Tr("Mailboxes", "Remove the mailbox %1?\n\nIts settings and its saved password are removed."), {name});
}
}  // namespace

MailboxChoice::MailboxChoice(TForm1& form) : form_(form) { Append(); }

MailboxChoice::~MailboxChoice() = default;

MailboxAccount& MailboxChoice::Append() {
  const int index = static_cast<int>(accounts_.size());
  accounts_.push_back(std::make_unique<MailboxAccount>(index, *form_.mailboxEvents_));
  return *accounts_.back();
}

void MailboxChoice::KeepFirstOnly() {
  if (accounts_.size() == 1) return;
  form_.ClearMessageList();
  form_.mailbox_->List().SetObserver(nullptr);
  accounts_.resize(1);
  chosen_ = 0;
  form_.mailbox_ = &accounts_[0]->Box;
  form_.mailbox_->List().SetObserver(form_.listView_.get());
}

void MailboxChoice::ChooseAtStart(std::size_t index) {
  Show(index < accounts_.size() ? index : 0);
  ShowMenu();
}

void MailboxChoice::Park() {
  MailboxAccount& account = ChosenAccount();
  account.Server = form_.IPedit->Text();
  account.UserID = form_.UserEdit->Text();
  account.Password = form_.PasswordEdit->Text();
  account.SavePassword = form_.CheckBox1->Checked();
}

void MailboxChoice::EditsChanged() {
  if (showing_) return;
  Park();
  ShowMenu();
}

void MailboxChoice::ShowMenu() {
  std::vector<platform::MainWindow::SubmenuItem> items;
  for (std::size_t i = 0; i < accounts_.size(); ++i) {
    items.push_back({"&" + std::to_string(i + 1) + " " + accounts_[i]->ShownName(),
                     kFirstChoiceCommand + static_cast<int>(i), true, i == chosen_});
  }
  items.push_back({AddCaption(), kAddCommand});
  items.push_back({RemoveCaption(), kRemoveCommand});
  form_.Window->SetSystemSubmenu(MailboxesMenu(), items);
}

bool MailboxChoice::MenuCommand(int command) {
  if (command == kAddCommand) {
    Add();
  } else if (command == kRemoveCommand) {
    RemoveChosen();
  } else if (command >= kFirstChoiceCommand && command < kFirstChoiceCommand + static_cast<int>(accounts_.size())) {
    Choose(static_cast<std::size_t>(command - kFirstChoiceCommand));
  } else {
    return false;
  }
  return true;
}

bool MailboxChoice::Choose(std::size_t index) {
  if (!Switch(index)) return false;
  form_.ClearMessageList();
  return true;
}

void MailboxChoice::ChooseWithRows(std::size_t index) {
  if (Switch(index)) form_.listView_->DrawAll();
}

bool MailboxChoice::Switch(std::size_t index) {
  if (form_.commands_->Running() || form_.AutoCheckBusy || index >= accounts_.size()) return false;
  if (index == chosen_) return true;
  Park();
  Show(index);
  ShowMenu();
  return true;
}

// The list is emptied before the edits change, so that no row stays on
// screen for an account it was not taken from; the new mailbox's own rows
// are kept for ChooseWithRows.
void MailboxChoice::Show(std::size_t index) {
  TForm1& f = form_;
  if (f.mailbox_ != nullptr) {
    f.ClearMessageList();
    f.mailbox_->List().SetObserver(nullptr);
  }
  chosen_ = index;
  MailboxAccount& account = ChosenAccount();
  showing_ = true;
  f.IPedit->SetText(account.Server);
  f.UserEdit->SetText(account.UserID);
  f.PasswordEdit->SetText(account.Password);
  f.CheckBox1->SetChecked(account.SavePassword);
  showing_ = false;
  f.mailbox_ = &account.Box;
  account.Box.List().SetObserver(f.listView_.get());
  f.IPlabel->SetHint(accounts_.size() > 1 ? account.ShownName() : std::string());
  f.settings_->ShowSecurityChoice();
}

void MailboxChoice::Add() {
  if (form_.commands_->Running() || form_.AutoCheckBusy) return;
  Park();
  Append();
  Show(accounts_.size() - 1);
  form_.ClearMessageList();
  ShowMenu();
  form_.IPedit->SetFocus();
}

// The file loses the section at once, and the sections after it move up
// one, so that EMAIL always holds the first mailbox; the mailboxes after it
// take their new sections (and the first its keyring entry) at the next
// save.
void MailboxChoice::RemoveChosen() {
  TForm1& f = form_;
  if (f.commands_->Running() || f.AutoCheckBusy) return;
  if (accounts_.size() == 1) {
    platform::ShowInformation(OnlyMailboxText());
    return;
  }
  if (!platform::AskYesNo(RemoveQuestion(ChosenAccount().ShownName()))) return;
  const std::size_t gone = chosen_;
  std::exception_ptr writeError;
  try {
    if (accounts_[gone]->Written) accounts_[gone]->Passwords.Save("", false, nullptr);
    // An added mailbox may have a section already, for its security.
    SettingsFile().EraseSection(MailboxSection(static_cast<int>(gone)));
    for (std::size_t j = gone + 1; j < accounts_.size(); ++j)
      SettingsFile().RenameSection(MailboxSection(static_cast<int>(j)), MailboxSection(static_cast<int>(j - 1)));
  } catch (const std::exception&) {
    writeError = std::current_exception();
  }
  f.ClearMessageList();
  f.mailbox_->List().SetObserver(nullptr);
  f.mailbox_ = nullptr;
  accounts_.erase(accounts_.begin() + static_cast<std::ptrdiff_t>(gone));
  for (std::size_t j = gone; j < accounts_.size(); ++j) {
    MailboxAccount& moved = *accounts_[j];
    // Only the first mailbox's entry has another name; its password is
    // saved again under it (SettingsStore::FirstMailboxReplaced).
    moved.Passwords.Rename(MailboxSection(static_cast<int>(j)),
                           KeyringEntry(static_cast<int>(j), moved.UserID, moved.Server), nullptr);
  }
  if (gone == 0) f.settings_->FirstMailboxReplaced();
  Show(gone < accounts_.size() ? gone : accounts_.size() - 1);
  ShowMenu();
  if (writeError) std::rethrow_exception(writeError);
}

}  // namespace app
