#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <functional>

namespace platform::qt {

// The table behind MessageGrid. It never scrolls sideways, so that columns
// past the right edge stay hidden even when the keyboard reaches them.
class GridView : public QTableWidget {
 public:
  using QTableWidget::QTableWidget;

  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override {
    QTableWidget::scrollTo(index, hint);
    horizontalScrollBar()->setValue(0);
  }
};

// Lets the grid's owner refuse a tick-box toggle and learn of each one the
// user made. A tick box is drawn alone in its cell, centred and as large
// as the cell allows, so that it fits the narrow first column at any
// window size; the whole cell toggles it.
class TickDelegate : public QStyledItemDelegate {
 public:
  std::function<bool(const QModelIndex&)> mayToggle;
  std::function<void(const QModelIndex&)> toggled;

  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (!HasTickBox(index)) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    // The cell without text, check mark or selection: only its background.
    cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    cell.text.clear();
    cell.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    const int natural = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
    const int side = std::max(4, std::min({natural, option.rect.width() - 4, option.rect.height() - 4}));
    QStyleOptionButton box;
    box.rect = QRect(0, 0, side, side);
    box.rect.moveCenter(option.rect.center());
    box.state = QStyle::State_None;
    if (option.state & QStyle::State_Enabled) box.state |= QStyle::State_Enabled;
    if (option.state & QStyle::State_HasFocus) box.state |= QStyle::State_HasFocus;
    box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
  }

 protected:
  // The table reports cells without an item as checkable; only a cell
  // with a check state holds a tick box.
  static bool HasTickBox(const QModelIndex& index) {
    return (index.flags() & Qt::ItemIsUserCheckable) && index.data(Qt::CheckStateRole).isValid();
  }

  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
    if (!HasTickBox(index)) return false;
    QVariant before = index.data(Qt::CheckStateRole);
    bool mayChange = false;
    if (event->type() == QEvent::MouseButtonRelease)
      mayChange = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (event->type() == QEvent::KeyPress) {
      int key = static_cast<QKeyEvent*>(event)->key();
      mayChange = key == Qt::Key_Space || key == Qt::Key_Select;
    }
    if (mayChange && mayToggle && !mayToggle(index)) return event->type() == QEvent::MouseButtonRelease;
    if (event->type() == QEvent::MouseButtonRelease && mayChange) {
      // The whole cell is the tick box's target: the box fills it.
      if (!option.rect.contains(static_cast<QMouseEvent*>(event)->position().toPoint())) return false;
      const bool checked = before.toInt() == Qt::Checked;
      model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
      if (toggled) toggled(index);
      return true;
    }
    bool handled = QStyledItemDelegate::editorEvent(event, model, option, index);
    if (index.data(Qt::CheckStateRole) != before && toggled) toggled(index);
    return handled;
  }
};

}  // namespace platform::qt
