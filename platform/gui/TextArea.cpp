#include "platform/gui/TextArea.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <utility>

#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/EventHook.h"
#include "platform/gui/qt/Text.h"

namespace platform {

namespace {

QPlainTextEdit* EditorOf(const Control& control) { return static_cast<QPlainTextEdit*>(control.Core().widget.data()); }

}  // namespace

TextArea::TextArea(Container& parent) : Control(std::make_unique<ControlCore>(new QPlainTextEdit()), &parent) {
  QPlainTextEdit* editor = EditorOf(*this);
  editor->setReadOnly(true);
  editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FontSpec font;
  font.Family = "Microsoft Sans Serif";
  SetFont(font);

  new qt::EventHook(editor->viewport(), [this, inDoubleClick = false](QObject*, QEvent* event) mutable {
    if (event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::MouseButtonDblClick) return false;
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
    if (event->type() == QEvent::MouseButtonDblClick) {
      inDoubleClick = true;
      CallHandler(OnDblClick);
    } else if (inDoubleClick) {
      inDoubleClick = false;
    } else {
      CallHandler(OnClick);
    }
    return false;
  });
  qt::HookKeyPress(editor, OnKeyPress);
}

void TextArea::SetText(std::string text) {
  // Swapped, not move-assigned: assigning a short string would keep the
  // old text's storage, which may be a whole large message.
  text_.swap(text);
  EditorOf(*this)->setPlainText(qt::ToQtLines(text_));
}

std::string TextArea::Text() const { return text_; }

}  // namespace platform
