#pragma once

#include <functional>
#include <string>

#include "platform/gui/Control.h"

namespace platform {

// A plain raised panel that groups controls.
class Panel : public Container {
 public:
  explicit Panel(Container& parent);
};

enum class TextAlignment { Left, Center };

// A caption. Without a width and height it sizes itself to its text.
//
// Its text is drawn readable on whatever palette the desktop gives (a
// contrast of at least 4.5 to 1 with the background, enabled or disabled):
// black stands for the palette's own text colour, and another colour that
// falls short is shown darker on a light background, lighter on a dark one,
// in the same hue. The palette is followed when the desktop changes it.
class Label : public Control {
 public:
  explicit Label(Container& parent, const std::string& caption = {});

  void SetText(const std::string& text);
  std::string Text() const;  // exactly as last set

  // The colour asked for; TextColor returns it as given, whatever the
  // screen shows of it.
  void SetColor(Color color);
  Color TextColor() const;
  void SetAlignment(TextAlignment alignment);

  // Makes the label the caption of control: assistive technology reads
  // them as related (the control labelled by the label).
  void SetBuddy(Control& control);

  // For a label that stands for a command: the keyboard reaches it with
  // Tab (give it a tab order) and clicks it with Space or Enter, with Shift
  // held double-clicks it (OnClick, then OnDblClick, as the mouse does);
  // assistive technology sees a button named by the caption.
  void SetKeyboardClickable(bool clickable);

  std::function<void()> OnClick;
  // A double click delivers OnClick for its first click, then OnDblClick.
  std::function<void()> OnDblClick;

 private:
  void ShowColors();

  std::string text_;
  Color color_ = kColorBlack;
  bool showingColors_ = false;
};

// A single-line text entry. It never holds a line break: CR and LF are
// dropped from whatever is set, typed, pasted or dropped into it.
class Edit : public Control {
 public:
  explicit Edit(Container& parent);

  void SetText(const std::string& text);
  // Exactly the bytes last set (less any line break) while the shown text
  // is still the one they gave, whatever their encoding; once the user has
  // changed it, the shown text as UTF-8.
  std::string Text() const;
  // Shows one "*" for every character instead of the text.
  void SetPasswordEcho(bool hidden);

  // The text changed, by the user or by SetText.
  std::function<void()> OnChange;

 private:
  std::string setBytes_;
  std::string setShown_;  // what the screen showed for them, as UTF-8
};

// A tick box without a caption of its own: assistive technology names it
// by its hint, until SetAccessibleName names it otherwise.
class CheckBox : public Control {
 public:
  explicit CheckBox(Container& parent);

  void SetChecked(bool checked);
  bool Checked() const;

  // The user toggled the box (not fired by SetChecked).
  std::function<void()> OnClick;
};

// A push button.
class Button : public Control {
 public:
  Button(Container& parent, const std::string& caption);

  void SetCaption(const std::string& caption);
  std::string Caption() const;

  std::function<void()> OnClick;
};

}  // namespace platform
