#include "platform/gui/TextArea.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/EventHook.h"
#include "platform/gui/qt/Text.h"

namespace platform {

namespace {

QPlainTextEdit* EditorOf(const Control& control) { return static_cast<QPlainTextEdit*>(control.Core().widget.data()); }

// Most a text converted at once takes (2 bytes a character) beside the
// document, which keeps its own copy of the whole text.
constexpr std::size_t kPieceBytes = 1 << 20;

// Shows text as setPlainText(ToQtLines(text)) does: a large text is put in
// a piece at a time at the document's end, so that its whole converted
// copy never exists beside the document's.
void ShowText(QPlainTextEdit& editor, const std::string& text) {
  const std::vector<std::string_view> pieces = qt::LinePieces(text, kPieceBytes);
  if (pieces.size() <= 1) {
    editor.setPlainText(qt::ToQtLines(text));
    return;
  }
  const bool utf8 = qt::PiecesReadAsUtf8(pieces);
  // The first piece as a whole text: the editor's cursor, scroll bars and
  // formats start as they do for any text.
  editor.setPlainText(qt::PieceToQtLines(pieces.front(), true, utf8));
  QTextCursor end(editor.document());
  end.movePosition(QTextCursor::End);
  end.beginEditBlock();
  for (std::size_t i = 1; i < pieces.size(); ++i) end.insertText(qt::PieceToQtLines(pieces[i], false, utf8));
  end.endEditBlock();
  editor.document()->setModified(false);
}

}  // namespace

TextArea::TextArea(Container& parent) : Control(std::make_unique<ControlCore>(new QPlainTextEdit()), &parent) {
  QPlainTextEdit* editor = EditorOf(*this);
  editor->setReadOnly(true);
  // Nothing is typed here: an undo history would only hold copies of texts.
  editor->setUndoRedoEnabled(false);
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
  std::string().swap(text);
  ShowText(*EditorOf(*this), text_);
}

std::string TextArea::Text() const { return text_; }

}  // namespace platform
