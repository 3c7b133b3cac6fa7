#pragma once

#include "mailbox/MessageList.h"

namespace app {

class TForm1;

// Columns of the message list. A row that stands for a message has a tick
// box in column 0 and its message number in the hidden column 5; the empty
// list is one row without a tick box.
inline constexpr int kTickColumn = 0;
inline constexpr int kSenderColumn = 1;
inline constexpr int kSubjectColumn = 2;
inline constexpr int kDateColumn = 3;
inline constexpr int kSizeColumn = 4;
inline constexpr int kNumberColumn = 5;

// Draws the mailbox's rows into the message list as they change: the grid
// shows the rows and never holds what the program reads back.
class ListView : public mailbox::MessageListObserver {
 public:
  explicit ListView(TForm1& form) : form_(form) {}

  void ListCleared() override;
  void RowAdded() override;
  void RowChanged(int row) override;
  // Draws every row the mailbox holds, as after its check.
  void DrawAll();

 private:
  TForm1& form_;
};

}  // namespace app
