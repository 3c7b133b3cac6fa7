#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mailbox {

// What a row shows of one of the summary's fields: the text in the cell
// (decoded, as a person reads it) and its tooltip.
struct ShownText {
  std::string Text;
  std::string Hint;

  bool operator==(const ShownText&) const = default;
};

// One waiting message as the last listing found it.
struct MessageRow {
  std::int32_t Number = 0;  // the message number in the session that listed it
  std::int32_t Size = 0;    // octets, as the listing gave them
  // The server's unique id of the message; empty when the server has none,
  // or when its listing gave the id to more than one message (which then
  // names none of them).
  std::string UniqueId;
  bool Ticked = false;
  // The sender, subject and date of its summary; empty until one was read.
  ShownText From, Subject, Date;

  bool ShowsSummary() const { return !From.Text.empty() || !Subject.Text.empty() || !Date.Text.empty(); }
};

// Told about every change of a MessageList, so that a view can draw it.
class MessageListObserver {
 public:
  virtual ~MessageListObserver() = default;
  // The list was emptied.
  virtual void ListCleared() = 0;
  // A row was put in at index 0 (the listing puts every row on top).
  virtual void RowAdded() = 0;
  // The summary or the tick of row changed.
  virtual void RowChanged(int row) = 0;
};

// The rows of the last listing, the message listed last on top (row 0), as
// the list shows them: the one place the program reads them back from. The
// order runs from the highest message number down, which the deletion's
// walk from the top relies on.
class MessageList {
 public:
  void SetObserver(MessageListObserver* observer) { observer_ = observer; }

  int Count() const { return static_cast<int>(rows_.size()); }
  bool Empty() const { return rows_.empty(); }
  // Row index 0 .. Count() - 1.
  const MessageRow& Row(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
  // Whether row names a message (an index that a walk may reach past the
  // last row does not).
  bool Has(int row) const { return row >= 0 && row < Count(); }

  void Clear();
  // A listed message, on top, unticked and not summarised.
  void AddListed(std::int32_t number, std::int32_t size);
  // Gives the listed rows their unique ids (by number); rows whose number
  // the map lacks keep none.
  void SetUniqueIds(const std::vector<std::pair<std::int32_t, std::string>>& ids);
  // The fields a summary gave; a field it lacked keeps what the row shows.
  void SetSummary(int row, std::optional<ShownText> from, std::optional<ShownText> subject,
                  std::optional<ShownText> date);
  void SetTicked(int row, bool ticked);
  int TickedCount() const;

 private:
  MessageRow& At(int row) { return rows_.at(static_cast<std::size_t>(row)); }
  void Changed(int row);

  std::vector<MessageRow> rows_;
  MessageListObserver* observer_ = nullptr;
};

}  // namespace mailbox
