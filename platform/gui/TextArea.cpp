#include "platform/gui/TextArea.h"

#include <QMouseEvent>
#include <utility>

#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/EventHook.h"
#include "platform/gui/qt/TextView.h"

namespace platform {

namespace {

qt::TextView* ViewOf(const Control& control) { return static_cast<qt::TextView*>(control.Core().widget.data()); }

}  // namespace

TextArea::TextArea(Container& parent) : Control(std::make_unique<ControlCore>(new qt::TextView()), &parent) {
  qt::TextView* view = ViewOf(*this);
  view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FontSpec font;
  font.Family = "Microsoft Sans Serif";
  SetFont(font);

  new qt::EventHook(view->viewport(), [this, inDoubleClick = false](QObject*, QEvent* event) mutable {
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
  // Before the key-press hook, so that OnKeyPress sees Enter first.
  new qt::EventHook(view, [this](QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* press = static_cast<QKeyEvent*>(event);
    const bool enter = press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter;
    if (!enter || (press->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (!press->isAutoRepeat()) CallHandler(OnDblClick);
    return true;
  });
  qt::HookKeyPress(view, OnKeyPress);
}

void TextArea::SetText(std::string text) {
  if (qt::TextView* view = ViewOf(*this)) view->SetText(std::move(text));
}

const std::string& TextArea::Text() const {
  static const std::string kNone;
  const qt::TextView* view = ViewOf(*this);
  return view != nullptr ? view->Lines().Text() : kNone;
}

}  // namespace platform
