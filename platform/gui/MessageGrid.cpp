#include "platform/gui/MessageGrid.h"

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
  qt::GridView* view = nullptr;
  std::vector<int> designWidths;
  int designRowHeight = 0;

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

  void Scale(double sx, double sy) {
    for (size_t col = 0; col < designWidths.size(); ++col)
      view->setColumnWidth(static_cast<int>(col), static_cast<int>(std::lround(designWidths[col] * sx)));
    view->verticalHeader()->setDefaultSectionSize(static_cast<int>(std::lround(designRowHeight * sy)));
  }
};

MessageGrid::MessageGrid(Container& parent, const std::vector<int>& columnWidths, int rowHeight)
    : Control(std::make_unique<ControlCore>(new qt::GridView()), &parent), impl_(std::make_unique<Impl>()) {
  auto* view = static_cast<qt::GridView*>(Core().widget.data());
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
  delegate->mayToggle = [this](const QModelIndex& index) {
    bool canEdit = true;
    if (OnCanEditCell) RunGuarded([&] { OnCanEditCell(index.row(), index.column(), canEdit); });
    return canEdit;
  };
  delegate->toggled = [this](const QModelIndex& index) {
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
  qt::HookKeyPress(view, OnKeyPress);
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

void MessageGrid::SetCell(int col, int row, const std::string& text) {
  if (!impl_->Inside(col, row)) return;
  QTableWidgetItem* item = impl_->EnsureItem(col, row);
  item->setData(kRawTextRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  item->setText(qt::ToQt(text));
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
}

bool MessageGrid::HasCheckBox(int col, int row) const {
  QTableWidgetItem* item = impl_->Item(col, row);
  return item != nullptr && (item->flags() & Qt::ItemIsUserCheckable);
}

bool MessageGrid::CheckBoxState(int col, int row) const {
  return HasCheckBox(col, row) && impl_->Item(col, row)->checkState() == Qt::Checked;
}

void MessageGrid::SetCheckBoxState(int col, int row, bool checked) {
  if (HasCheckBox(col, row)) impl_->Item(col, row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void MessageGrid::RemoveCheckBox(int col, int row) {
  QTableWidgetItem* item = impl_->Item(col, row);
  if (item == nullptr) return;
  item->setFlags(kCellFlags);
  item->setData(Qt::CheckStateRole, QVariant());
}

}  // namespace platform
