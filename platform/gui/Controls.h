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
class Label : public Control {
 public:
  explicit Label(Container& parent, const std::string& caption = {});

  void SetText(const std::string& text);
  std::string Text() const;  // exactly as last set

  void SetColor(Color color);
  Color TextColor() const;
  void SetAlignment(TextAlignment alignment);

  std::function<void()> OnClick;
  // A double click delivers OnClick for its first click, then OnDblClick.
  std::function<void()> OnDblClick;

 private:
  std::string text_;
  Color color_ = kColorBlack;
};

// A single-line text entry.
class Edit : public Control {
 public:
  explicit Edit(Container& parent);

  void SetText(const std::string& text);
  std::string Text() const;  // UTF-8
  // Shows one "*" for every character instead of the text.
  void SetPasswordEcho(bool hidden);

  // The text changed, by the user or by SetText.
  std::function<void()> OnChange;
};

// A tick box without a caption of its own.
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
