#pragma once

#include <QKeyEvent>
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
// user made.
class TickDelegate : public QStyledItemDelegate {
 public:
  std::function<bool(const QModelIndex&)> mayToggle;
  std::function<void(const QModelIndex&)> toggled;

  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
    if (!(index.flags() & Qt::ItemIsUserCheckable)) return false;
    QVariant before = index.data(Qt::CheckStateRole);
    bool mayChange = false;
    if (event->type() == QEvent::MouseButtonRelease)
      mayChange = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (event->type() == QEvent::KeyPress) {
      int key = static_cast<QKeyEvent*>(event)->key();
      mayChange = key == Qt::Key_Space || key == Qt::Key_Select;
    }
    if (mayChange && mayToggle && !mayToggle(index)) return event->type() == QEvent::MouseButtonRelease;
    bool handled = QStyledItemDelegate::editorEvent(event, model, option, index);
    if (index.data(Qt::CheckStateRole) != before && toggled) toggled(index);
    return handled;
  }
};

}  // namespace platform::qt
