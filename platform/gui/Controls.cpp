#include "platform/gui/Controls.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QValidator>

#include "platform/gui/qt/CaptionLabel.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/EventHook.h"
#include "platform/gui/qt/ReadableColor.h"
#include "platform/gui/qt/Text.h"
#include "platform/gui/qt/WindowWidget.h"

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

// A tick box without a caption (the window's captions are labels of their
// own) whose box is drawn whole in any size the window scales it to: the
// style's box is 13 pixels or more, the smallest window gives it 9 x 11.
// It sits at the left, centred from top to bottom, as the style places it.
class FittingCheckBox : public QCheckBox {
 protected:
  void paintEvent(QPaintEvent* event) override {
    if (!text().isEmpty()) {
      QCheckBox::paintEvent(event);
      return;
    }
    QStyleOptionButton box;
    initStyleOption(&box);
    const int natural = style()->pixelMetric(QStyle::PM_IndicatorWidth, &box, this);
    const int side = std::max(4, std::min({natural, width(), height()}));
    box.rect = QRect(0, (height() - side) / 2, side, side);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, this);
  }
};

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// Drops CR and LF from every text the line edit takes, however it arrives.
// A line break pasted with a host name would otherwise travel into the
// settings file, where it cannot be held, and into the server's commands.
class LineBreakFilter : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override {
    for (qsizetype i = input.size() - 1; i >= 0; --i) {
      if (input[i] != QLatin1Char('\r') && input[i] != QLatin1Char('\n')) continue;
      input.remove(i, 1);
      if (pos > i) --pos;
    }
    return Acceptable;
  }
};

FontSpec BoldFont() {
  FontSpec font;
  font.Bold = true;
  return font;
}

}  // namespace

Panel::Panel(Container& parent) : Container(MakeCore<qt::PanelFrame>(), &parent) {
  auto* frame = WidgetOf<QFrame>(*this);
  frame->setFrameShape(QFrame::Panel);
  frame->setFrameShadow(QFrame::Raised);
}

Label::Label(Container& parent, const std::string& caption) : Control(MakeCore<qt::CaptionLabel>(), &parent) {
  auto* label = WidgetOf<qt::CaptionLabel>(*this);
  // A label may show text from the settings file or the server: never
  // markup, which could make the toolkit load pictures named in it.
  label->setTextFormat(Qt::PlainText);
  label->onClick = [this] { CallHandler(OnClick); };
  label->onDoubleClick = [this] { CallHandler(OnDblClick); };
  SetFont(BoldFont());
  SetText(caption);
  ShowColors();
  // Setting the label's own colours is a palette change too; only the
  // desktop's (arriving through the parent) calls for new ones.
  new qt::EventHook(label, [this](QObject*, QEvent* event) {
    if (event->type() == QEvent::PaletteChange && !showingColors_) ShowColors();
    return false;
  });
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
  ShowColors();
}

// The disabled colour stays the palette's grey (made readable), so that a
// coloured label greys out with the others while a command runs.
void Label::ShowColors() {
  auto* label = WidgetOf<QLabel>(*this);
  const QWidget* parent = label->parentWidget();
  const QPalette inherited = parent != nullptr ? parent->palette() : QApplication::palette(label);
  const QColor background = inherited.color(QPalette::Active, QPalette::Window);
  const QColor wanted = color_ == kColorBlack ? inherited.color(QPalette::Active, QPalette::WindowText)
                                              : QColor::fromRgb(color_);
  const QColor shown = qt::ReadableOn(wanted, background);
  QPalette palette = label->palette();
  palette.setColor(QPalette::Active, QPalette::WindowText, shown);
  palette.setColor(QPalette::Inactive, QPalette::WindowText, shown);
  palette.setColor(QPalette::Disabled, QPalette::WindowText,
                   qt::ReadableOn(inherited.color(QPalette::Disabled, QPalette::WindowText),
                                  inherited.color(QPalette::Disabled, QPalette::Window)));
  showingColors_ = true;
  label->setPalette(palette);
  showingColors_ = false;
}

Color Label::TextColor() const { return color_; }

void Label::SetBuddy(Control& control) { WidgetOf<QLabel>(*this)->setBuddy(control.Core().widget); }

void Label::SetKeyboardClickable(bool clickable) { WidgetOf<qt::CaptionLabel>(*this)->SetKeyboardClickable(clickable); }

void Label::SetAlignment(TextAlignment alignment) {
  WidgetOf<QLabel>(*this)->setAlignment(alignment == TextAlignment::Center ? Qt::AlignCenter
                                                                            : Qt::AlignLeft | Qt::AlignVCenter);
}

Edit::Edit(Container& parent) : Control(MakeCore<QLineEdit>(), &parent) {
  SetFont(BoldFont());
  auto* line = WidgetOf<QLineEdit>(*this);
  line->setValidator(new LineBreakFilter(line));
  QObject::connect(line, &QLineEdit::textChanged, [this] { CallHandler(OnChange); });
}

// The screen shows bytes that are not UTF-8 as Latin-1 and a NUL as a
// symbol; reading the screen back would give other bytes. Keeping the bytes
// set lets a value that nobody edited go back where it came from unchanged.
void Edit::SetText(const std::string& text) {
  std::string kept = text;
  kept.erase(std::remove_if(kept.begin(), kept.end(), IsLineBreak), kept.end());
  QString shown = qt::ToQt(kept);
  // Set before the text, so that a change handler already reads the bytes.
  setBytes_ = kept;
  setShown_ = qt::FromQt(shown);
  WidgetOf<QLineEdit>(*this)->setText(shown);
}

std::string Edit::Text() const {
  std::string shown = qt::FromQt(WidgetOf<QLineEdit>(*this)->text());
  return shown == setShown_ ? setBytes_ : shown;
}

void Edit::SetPasswordEcho(bool hidden) {
  WidgetOf<QLineEdit>(*this)->setEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
}

CheckBox::CheckBox(Container& parent) : Control(MakeCore<FittingCheckBox>(), &parent) {
  Core().nameFollowsHint = true;
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
