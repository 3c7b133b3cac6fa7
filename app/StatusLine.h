#pragma once

#include <optional>
#include <string>

#include "mailbox/FailureNote.h"
#include "platform/gui/Controls.h"

namespace app {

// The status line over the list (Label5): what a command is doing while it
// runs, the viewer's caption, and, once a command could not show all it
// went for, its note until the next command starts (the reason in the
// line's hint).
class StatusLine {
 public:
  explicit StatusLine(platform::Label& label) : label_(label) {}

  // The text, visible, painted at once.
  void Show(const std::string& text);
  void Hide();
  // A command starts: the note of the last one goes.
  void Clear();
  // A command ends: the note's short text shows in the sentence pattern
  // (its %1; "Incomplete: %1" when none is given), with the long text as
  // the hint, or the line hides.
  void Finish(const std::optional<mailbox::FailureNote>& note);
  void Finish(const std::optional<mailbox::FailureNote>& note, const std::string& pattern);

 private:
  platform::Label& label_;
};

}  // namespace app
