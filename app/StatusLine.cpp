#include "app/StatusLine.h"
#include "platform/core/Translate.h"

namespace app {

void StatusLine::Show(const std::string& text) {
  label_.SetText(text);
  label_.Show();
  label_.Repaint();
}

void StatusLine::Hide() { label_.Hide(); }

void StatusLine::Clear() { label_.SetHint(""); }

void StatusLine::Finish(const std::optional<mailbox::FailureNote>& note) {
  Finish(note, platform::Tr("Status", "Incomplete: %1"));
}

void StatusLine::Finish(const std::optional<mailbox::FailureNote>& note, const std::string& pattern) {
  if (!note) {
    label_.Hide();
    return;
  }
  Show(platform::Substitute(pattern, {note->Short}));
  label_.SetHint(note->Long);
}

}  // namespace app
