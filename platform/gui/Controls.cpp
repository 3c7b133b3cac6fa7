#include "platform/gui/Controls.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/EventHook.h"
#include "platform/gui/qt/Text.h"

namespace platform {

namespace {

template <typename Widget>
std::unique_ptr<ControlCore> MakeCore() {
  return std::make_unique<ControlCore>(new Widget());
}

template <typename Widget>
Widget* WidgetOf(Control& control) {
  return static_cast<Widget*>(control.Core().widget.data());
}

template <typename Widget>
const Widget* WidgetOf(const Control& control) {
  return static_cast<const Widget*>(control.Core().widget.data());
}

FontSpec BoldFont() {
  FontSpec font;
  font.Bold = true;
  return font;
}

}  // namespace

Panel::Panel(Container& parent) : Container(MakeCore<QFrame>(), &parent) {
  auto* frame = WidgetOf<QFrame>(*this);
  frame->setFrameShape(QFrame::Panel);
  frame->setFrameShadow(QFrame::Raised);
}

Label::Label(Container& parent, const std::string& caption) : Control(MakeCore<QLabel>(), &parent) {
  auto* label = WidgetOf<QLabel>(*this);
  // A label may show text from the settings file or the server: never
  // markup, which could make the toolkit load pictures named in it.
  label->setTextFormat(Qt::PlainText);
  SetFont(BoldFont());
  SetText(caption);
  // A double click arrives as press, release, double click, release; the
  // second release is part of the double click and is no click of its own.
  new qt::EventHook(label, [this, inDoubleClick = false](QObject*, QEvent* event) mutable {
    if (event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::MouseButtonDblClick) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    if (event->type() == QEvent::MouseButtonDblClick) {
      inDoubleClick = true;
      CallHandler(OnDblClick);
    } else if (inDoubleClick) {
      inDoubleClick = false;
    } else if (WidgetOf<QLabel>(*this)->rect().contains(mouse->position().toPoint())) {
      CallHandler(OnClick);
    }
    return false;
  });
}

void Label::SetText(const std::string& text) {
  text_ = text;
  auto* label = WidgetOf<QLabel>(*this);
  label->setText(qt::ToQt(text));
  if (Core().AutoSized()) label->adjustSize();
}

std::string Label::Text() const { return text_; }

void Label::SetColor(Color color) {
  color_ = color;
  auto* label = WidgetOf<QLabel>(*this);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor::fromRgb(color));
  label->setPalette(palette);
}

Color Label::TextColor() const { return color_; }

void Label::SetAlignment(TextAlignment alignment) {
  WidgetOf<QLabel>(*this)->setAlignment(alignment == TextAlignment::Center ? Qt::AlignCenter
                                                                            : Qt::AlignLeft | Qt::AlignVCenter);
}

Edit::Edit(Container& parent) : Control(MakeCore<QLineEdit>(), &parent) {
  SetFont(BoldFont());
  QObject::connect(WidgetOf<QLineEdit>(*this), &QLineEdit::textChanged, [this] { CallHandler(OnChange); });
}

void Edit::SetText(const std::string& text) { WidgetOf<QLineEdit>(*this)->setText(qt::ToQt(text)); }

std::string Edit::Text() const { return qt::FromQt(WidgetOf<QLineEdit>(*this)->text()); }

void Edit::SetPasswordEcho(bool hidden) {
  WidgetOf<QLineEdit>(*this)->setEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
}

CheckBox::CheckBox(Container& parent) : Control(MakeCore<QCheckBox>(), &parent) {
  QObject::connect(WidgetOf<QCheckBox>(*this), &QCheckBox::clicked, [this] { CallHandler(OnClick); });
}

void CheckBox::SetChecked(bool checked) { WidgetOf<QCheckBox>(*this)->setChecked(checked); }

bool CheckBox::Checked() const { return WidgetOf<QCheckBox>(*this)->isChecked(); }

Button::Button(Container& parent, const std::string& caption) : Control(MakeCore<QPushButton>(), &parent) {
  SetFont(BoldFont());
  SetCaption(caption);
  auto* button = WidgetOf<QPushButton>(*this);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, [this] { CallHandler(OnClick); });
}

void Button::SetCaption(const std::string& caption) { WidgetOf<QPushButton>(*this)->setText(qt::ToQt(caption)); }

std::string Button::Caption() const { return qt::FromQt(WidgetOf<QPushButton>(*this)->text()); }

}  // namespace platform
