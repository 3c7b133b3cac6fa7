#pragma once

#include <functional>
#include <string>

#include "platform/gui/Control.h"

namespace platform {

// A read-only multi-line text display with both scroll bars (lines are not
// wrapped). Text comes back exactly as set; CR LF line ends are shown as
// line breaks.
class TextArea : public Control {
 public:
  explicit TextArea(Container& parent);

  // Taken by value: a whole message may pass through here, and a caller
  // that hands over its text spares a copy of it.
  void SetText(std::string text);
  std::string Text() const;

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  // A key that produces a character while the area has the focus (after
  // the window's key preview). Setting key to 0 swallows it.
  std::function<void(char& key)> OnKeyPress;

 private:
  std::string text_;
};

}  // namespace platform
