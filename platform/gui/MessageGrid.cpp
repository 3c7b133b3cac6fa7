#include "platform/gui/MessageGrid.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

#include "platform/core/UnhandledError.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/EventHook.h"
#include "platform/gui/qt/GridView.h"
#include "platform/gui/qt/Text.h"

namespace platform {

namespace {

// The bytes written into a cell, kept beside the shown text so that reading
// the cell returns them unchanged.
constexpr int kRawTextRole = Qt::UserRole + 1;

constexpr Qt::ItemFlags kCellFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;

}  // namespace

struct MessageGrid::Impl {
  MessageGrid* owner = nullptr;
  qt::GridView* view = nullptr;
  qt::TickDelegate* delegate = nullptr;
  std::vector<int> designWidths;
  int designRowHeight = 0;
  QStringList titles;

  bool Inside(int col, int row) const {
    return row >= 0 && col >= 0 && row < view->rowCount() && col < view->columnCount();
  }

  QTableWidgetItem* Item(int col, int row) const { return Inside(col, row) ? view->item(row, col) : nullptr; }

  QTableWidgetItem* EnsureItem(int col, int row) {
    QTableWidgetItem* item = view->item(row, col);
    if (item == nullptr) {
      item = new QTableWidgetItem();
      item->setFlags(kCellFlags);
      view->setItem(row, col, item);
    }
    return item;
  }

  bool IsTickBox(const QModelIndex& index) const {
    return index.isValid() && (index.flags() & Qt::ItemIsUserCheckable) && index.data(Qt::CheckStateRole).isValid();
  }

  // The tick box of the row, wherever it stands in it.
  QModelIndex TickBoxOfRow(int row) const {
    for (int col = 0; col < view->columnCount(); ++col) {
      const QModelIndex index = view->model()->index(row, col);
      if (IsTickBox(index)) return index;
    }
    return {};
  }

  // A tick box has no text: assistive technology names it by what its row
  // shows in the titled columns.
  void NameTickBox(int row) {
    const QModelIndex tick = TickBoxOfRow(row);
    if (!tick.isValid()) return;
    QStringList shown;
    for (int col = 0; col < view->columnCount() && col < titles.size(); ++col) {
      const QTableWidgetItem* cell = view->item(row, col);
      if (col == tick.column() || titles[col].isEmpty() || cell == nullptr || cell->text().isEmpty()) continue;
      shown << titles[col] + QStringLiteral(": ") + cell->text();
    }
    view->item(row, tick.column())->setData(Qt::AccessibleTextRole, shown.join(QStringLiteral(", ")));
  }

  // The toolkit reports a changed cell as changed data only; a screen
  // reader announces a tick as the check box's changed state.
  void AnnounceTick(const QModelIndex& index) {
    if (!QAccessible::isActive()) return;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(view);
    QAccessibleTableInterface* cells = table != nullptr ? table->tableInterface() : nullptr;
    QAccessibleInterface* cell = cells != nullptr ? cells->cellAt(index.row(), index.column()) : nullptr;
    if (cell == nullptr) return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(cell, changed);
    QAccessible::updateAccessibility(&event);
  }

  // As the delegate toggles on a click: asked first, told after.
  void ToggleByKey(const QModelIndex& tick) {
    if (delegate->mayToggle && !delegate->mayToggle(tick)) return;
    const bool checked = tick.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    view->model()->setData(tick, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    if (delegate->toggled) delegate->toggled(tick);
  }

  // Enter, the space bar off the tick box, and the keyboard's context-menu
  // request on the current cell; true when the event was used.
  bool KeyboardCommand(QEvent* event);

  void Scale(double sx, double sy) {
    for (size_t col = 0; col < designWidths.size(); ++col)
      view->setColumnWidth(static_cast<int>(col), static_cast<int>(std::lround(designWidths[col] * sx)));
    view->verticalHeader()->setDefaultSectionSize(static_cast<int>(std::lround(designRowHeight * sy)));
  }
};

MessageGrid::MessageGrid(Container& parent, const std::vector<int>& columnWidths, int rowHeight)
    : Control(std::make_unique<ControlCore>(new qt::GridView()), &parent), impl_(std::make_unique<Impl>()) {
  auto* view = static_cast<qt::GridView*>(Core().widget.data());
  impl_->owner = this;
  impl_->view = view;
  impl_->designWidths = columnWidths;
  impl_->designRowHeight = rowHeight;

  view->setColumnCount(static_cast<int>(columnWidths.size()));
  view->setRowCount(1);
  view->horizontalHeader()->hide();
  view->verticalHeader()->hide();
  view->verticalHeader()->setMinimumSectionSize(1);
  view->horizontalHeader()->setMinimumSectionSize(1);
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectItems);
  view->setSortingEnabled(false);
  view->setWordWrap(false);
  view->setContextMenuPolicy(Qt::PreventContextMenu);
  view->setTabKeyNavigation(false);
  Core().onScaled = [this](double sx, double sy) { impl_->Scale(sx, sy); };
  impl_->Scale(Core().scaleX, Core().scaleY);

  FontSpec font;
  font.Family = "Microsoft Sans Serif";
  SetFont(font);

  auto* delegate = new qt::TickDelegate(view);
  impl_->delegate = delegate;
  delegate->mayToggle = [this](const QModelIndex& index) {
    bool canEdit = true;
    if (OnCanEditCell) RunGuarded([&] { OnCanEditCell(index.row(), index.column(), canEdit); });
    return canEdit;
  };
  delegate->toggled = [this](const QModelIndex& index) {
    impl_->AnnounceTick(index);
    bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    if (OnCheckBoxClick) RunGuarded([&] { OnCheckBoxClick(index.column(), index.row(), checked); });
  };
  view->setItemDelegate(delegate);

  QObject::connect(view, &QTableWidget::cellDoubleClicked, [this](int row, int col) {
    if (OnDblClickCell) RunGuarded([&] { OnDblClickCell(row, col); });
  });
  new qt::EventHook(view->viewport(), [this](QObject*, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (!press && event->type() != QEvent::MouseButtonRelease) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::RightButton) return false;
    // A right click asks about its row; it does not select the cell, whose
    // highlight would stay behind the question and hide the text.
    if (press) return true;
    QModelIndex index = impl_->view->indexAt(mouse->position().toPoint());
    if (index.isValid() && OnRightClickCell) RunGuarded([&] { OnRightClickCell(index.row(), index.column()); });
    return false;
  });
  // Installed before the key-press hook, so that OnKeyPress sees a key
  // first and may swallow it.
  new qt::EventHook(view, [this](QObject*, QEvent* event) { return impl_->KeyboardCommand(event); });
  qt::HookKeyPress(view, OnKeyPress);
}

bool MessageGrid::Impl::KeyboardCommand(QEvent* event) {
  MessageGrid& grid = *owner;
  const QModelIndex current = view->currentIndex();
  if (event->type() == QEvent::ContextMenu) {
    if (static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Keyboard) return false;
    if (current.isValid() && grid.OnRightClickCell)
      RunGuarded([&] { grid.OnRightClickCell(current.row(), current.column()); });
    return true;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* press = static_cast<QKeyEvent*>(event);
  if ((press->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || !current.isValid()) return false;
  if (press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter) {
    if (grid.OnDblClickCell) RunGuarded([&] { grid.OnDblClickCell(current.row(), current.column()); });
    return true;
  }
  // On the tick box itself the delegate toggles it.
  if (press->key() != Qt::Key_Space || IsTickBox(current)) return false;
  const QModelIndex tick = TickBoxOfRow(current.row());
  if (!tick.isValid()) return false;
  ToggleByKey(tick);
  return true;
}

MessageGrid::~MessageGrid() = default;

int MessageGrid::RowCount() const { return impl_->view->rowCount(); }

int MessageGrid::ColCount() const { return impl_->view->columnCount(); }

int MessageGrid::ColumnWidth(int col) const { return impl_->view->columnWidth(col); }

int MessageGrid::RowHeight() const { return impl_->view->verticalHeader()->defaultSectionSize(); }

std::string MessageGrid::Cell(int col, int row) const {
  QTableWidgetItem* item = impl_->Item(col, row);
  if (item == nullptr) return {};
  return item->data(kRawTextRole).toByteArray().toStdString();
}

void MessageGrid::SetColumnTitles(const std::vector<std::string>& titles) {
  impl_->titles.clear();
  for (const std::string& title : titles) impl_->titles << qt::ToQt(title);
  // Hidden, the header still names the columns to assistive technology.
  impl_->view->setHorizontalHeaderLabels(impl_->titles);
  for (int row = 0; row < RowCount(); ++row) impl_->NameTickBox(row);
}

void MessageGrid::SetCell(int col, int row, const std::string& text) {
  if (!impl_->Inside(col, row)) return;
  QTableWidgetItem* item = impl_->EnsureItem(col, row);
  item->setData(kRawTextRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  item->setText(qt::ToQt(text));
  impl_->NameTickBox(row);
}

std::string MessageGrid::CellHint(int col, int row) const {
  QTableWidgetItem* item = impl_->Item(col, row);
  if (item == nullptr) return {};
  return qt::FromQt(item->toolTip());
}

void MessageGrid::SetCellHint(int col, int row, const std::string& text) {
  if (!impl_->Inside(col, row)) return;
  impl_->EnsureItem(col, row)->setToolTip(qt::ToQt(text));
}

void MessageGrid::InsertRows(int index, int count) {
  if (index < 0 || index > RowCount()) return;
  for (int i = 0; i < count; ++i) impl_->view->insertRow(index);
}

void MessageGrid::RemoveRows(int index, int count) {
  if (index < 0 || count <= 0 || index >= RowCount()) return;
  int last = std::min(RowCount(), index + count);
  for (int row = last - 1; row >= index; --row) impl_->view->removeRow(row);
  if (RowCount() == 0) impl_->view->setRowCount(1);
}

void MessageGrid::AddCheckBox(int col, int row, bool checked) {
  if (!impl_->Inside(col, row)) return;
  QTableWidgetItem* item = impl_->EnsureItem(col, row);
  item->setFlags(kCellFlags | Qt::ItemIsUserCheckable);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  impl_->NameTickBox(row);
}

bool MessageGrid::HasCheckBox(int col, int row) const {
  QTableWidgetItem* item = impl_->Item(col, row);
  return item != nullptr && (item->flags() & Qt::ItemIsUserCheckable);
}

bool MessageGrid::CheckBoxState(int col, int row) const {
  return HasCheckBox(col, row) && impl_->Item(col, row)->checkState() == Qt::Checked;
}

void MessageGrid::SetCheckBoxState(int col, int row, bool checked) {
  if (!HasCheckBox(col, row) || CheckBoxState(col, row) == checked) return;
  QTableWidgetItem* item = impl_->Item(col, row);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  impl_->AnnounceTick(impl_->view->indexFromItem(item));
}

void MessageGrid::RemoveCheckBox(int col, int row) {
  QTableWidgetItem* item = impl_->Item(col, row);
  if (item == nullptr) return;
  item->setFlags(kCellFlags);
  item->setData(Qt::CheckStateRole, QVariant());
  item->setData(Qt::AccessibleTextRole, QVariant());
}

}  // namespace platform
