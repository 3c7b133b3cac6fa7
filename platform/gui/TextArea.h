#pragma once

#include <functional>
#include <string>

#include "platform/gui/Control.h"

namespace platform {

// A read-only multi-line text display with both scroll bars (lines are not
// wrapped). Text comes back exactly as set; CR LF, lone LF and lone CR line
// ends are shown as line breaks. The area holds its text once, and draws
// only the lines in view; the user may select and copy.
class TextArea : public Control {
 public:
  explicit TextArea(Container& parent);

  // Taken by value: a whole message may pass through here, and a caller
  // that hands over its text spares a copy of it. An empty text frees
  // everything the area held.
  void SetText(std::string text);
  // The text exactly as set; valid until the next SetText.
  const std::string& Text() const;

  std::function<void()> OnClick;
  // A double click, or Enter: the keyboard's way to the same command.
  std::function<void()> OnDblClick;
  // A key that produces a character while the area has the focus (after
  // the window's key preview). Setting key to 0 swallows it.
  std::function<void(char& key)> OnKeyPress;
};

}  // namespace platform
