#include "mailbox/MessageList.h"

#include <map>
#include <utility>

namespace mailbox {

void MessageList::Clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  if (observer_) observer_->ListCleared();
}

void MessageList::AddListed(std::int32_t number, std::int32_t size) {
  MessageRow row;
  row.Number = number;
  row.Size = size;
  rows_.insert(rows_.begin(), std::move(row));
  if (observer_) observer_->RowAdded();
}

void MessageList::SetUniqueIds(const std::vector<std::pair<std::int32_t, std::string>>& ids) {
  const std::map<std::int32_t, std::string> byNumber(ids.begin(), ids.end());
  for (MessageRow& row : rows_) {
    auto found = byNumber.find(row.Number);
    row.UniqueId = found == byNumber.end() ? std::string() : found->second;
  }
}

void MessageList::SetSummary(int row, std::optional<ShownText> from, std::optional<ShownText> subject,
                             std::optional<ShownText> date) {
  MessageRow& target = At(row);
  if (from) target.From = std::move(*from);
  if (subject) target.Subject = std::move(*subject);
  if (date) target.Date = std::move(*date);
  Changed(row);
}

void MessageList::SetTicked(int row, bool ticked) {
  if (At(row).Ticked == ticked) return;
  At(row).Ticked = ticked;
  Changed(row);
}

int MessageList::TickedCount() const {
  int count = 0;
  for (const MessageRow& row : rows_)
    if (row.Ticked) ++count;
  return count;
}

void MessageList::Changed(int row) {
  if (observer_) observer_->RowChanged(row);
}

}  // namespace mailbox
