#include "app/StatusLine.h"

namespace app {

void StatusLine::Show(const std::string& text) {
  label_.SetText(text);
  label_.Show();
  label_.Repaint();
}

void StatusLine::Hide() { label_.Hide(); }

void StatusLine::Clear() { label_.SetHint(""); }

void StatusLine::Finish(const std::optional<mailbox::FailureNote>& note, const std::string& prefix,
                        const std::string& suffix) {
  if (!note) {
    label_.Hide();
    return;
  }
  Show(prefix + note->Short + suffix);
  label_.SetHint(note->Long);
}

}  // namespace app
