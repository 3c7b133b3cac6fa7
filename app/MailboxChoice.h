#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "app/MailboxAccount.h"

namespace app {

class TForm1;

// The mailboxes the window watches and the one it shows. The first is the
// settings file's EMAIL section, the others EMAIL2, EMAIL3, ... in order.
// The chosen one's account is in the edits and its rows in the list; every
// command of the window acts on it. The window's menu offers "&Mailboxes":
// one item per mailbox, then adding and removing.
class MailboxChoice {
 public:
  // Commands of the window's menu: choosing the n-th mailbox is
  // kFirstChoiceCommand + n.
  static constexpr int kAddCommand = 10010;
  static constexpr int kRemoveCommand = 10011;
  static constexpr int kFirstChoiceCommand = 10100;

  // Starts with one empty mailbox, the chosen one.
  explicit MailboxChoice(TForm1& form);
  ~MailboxChoice();

  std::size_t Count() const { return accounts_.size(); }
  MailboxAccount& Account(std::size_t index) { return *accounts_[index]; }
  std::size_t Chosen() const { return chosen_; }
  MailboxAccount& ChosenAccount() { return *accounts_[chosen_]; }

  // Start-up: back to the first mailbox alone, chosen.
  void KeepFirstOnly();
  // Start-up: a mailbox more, as read from the file (index Count()).
  MailboxAccount& Append();
  // Start-up: shows the index-th mailbox (clamped) in the edits, as the
  // file's choice.
  void ChooseAtStart(std::size_t index);
  // The edits' values go into the chosen account, as a save or a command
  // of another mailbox needs them.
  void Park();

  // The server or user edit changed: the chosen mailbox's name follows.
  void EditsChanged();
  // The submenu, rebuilt for the mailboxes and the choice.
  void ShowMenu();
  // A command of the window's menu; false when it is none of these.
  bool MenuCommand(int command);
  // Shows the index-th mailbox: its account in the edits, the list empty,
  // its name in the "Server IP:" label's hint. Refused (false) while a
  // command runs.
  bool Choose(std::size_t index);
  // Chooses the index-th mailbox and draws the rows it already holds.
  void ChooseWithRows(std::size_t index);

 private:
  // Chooses index, keeping the rows it holds; false while a command runs.
  bool Switch(std::size_t index);
  void Add();
  void RemoveChosen();
  void Show(std::size_t index);

  TForm1& form_;
  std::vector<std::unique_ptr<MailboxAccount>> accounts_;
  std::size_t chosen_ = 0;
  bool showing_ = false;  // Show fills the edits
};

}  // namespace app
