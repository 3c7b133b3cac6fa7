#pragma once

#include <QLabel>
#include <functional>

namespace platform::qt {

// The widget of a Label. A label that stands for a command (a caption that
// acts when clicked) can be made clickable by the keyboard: it then takes
// the focus with Tab, draws the style's focus frame round its text while it
// has the focus, and Space or Enter click it (with Shift held: double-click
// it, as the mouse's first click and then its double click). Assistive
// technology sees such a label as a button whose press action clicks it
// (CaptionLabelAccessible.cpp); any other label as static text.
class CaptionLabel : public QLabel {
  Q_OBJECT

 public:
  CaptionLabel();

  void SetKeyboardClickable(bool clickable);
  bool KeyboardClickable() const;

  // What a click and a double click do; a label without a double-click
  // command leaves onDoubleClick empty.
  std::function<void()> onClick;
  std::function<void()> onDoubleClick;

  void Click();
  // The mouse's order: its first click, then the double click.
  void DoubleClick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace platform::qt
