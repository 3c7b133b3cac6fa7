#include "platform/gui/MainWindow.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "platform/gui/Application.h"
#include "platform/core/UnhandledError.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/Icons.h"
#include "platform/gui/qt/MainWindowImpl.h"
#include "platform/gui/qt/Text.h"
#include "platform/gui/qt/ToolkitApplication.h"

namespace platform {

namespace {

std::unique_ptr<ControlCore> MakeWindowCore() { return std::make_unique<ControlCore>(new qt::WindowWidget()); }

// Appends the focusable controls of container to chain, ordered by their
// tab orders; a container's own place is taken by its children.
void CollectTabChain(Control& container, std::vector<QWidget*>& chain) {
  std::vector<Control*> ordered;
  for (Control* child : container.Core().children)
    if (child->TabOrder() >= 0) ordered.push_back(child);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](Control* a, Control* b) { return a->TabOrder() < b->TabOrder(); });
  for (Control* child : ordered) {
    if (!child->Core().children.empty())
      CollectTabChain(*child, chain);
    else if (child->Core().widget)
      chain.push_back(child->Core().widget);
  }
}

}  // namespace

MainWindow::MainWindow(int designClientWidth, int designClientHeight)
    : Container(MakeWindowCore(), nullptr), impl_(std::make_unique<Impl>()) {
  impl_->owner = this;
  impl_->widget = static_cast<qt::WindowWidget*>(Core().widget.data());
  impl_->designWidth = designClientWidth;
  impl_->designHeight = designClientHeight;
  Core().design = Rect{0, 0, designClientWidth, designClientHeight};

  FontSpec font;
  font.Family = "Microsoft Sans Serif";
  SetFont(font);

  qt::WindowWidget* widget = impl_->widget;
  widget->setWindowIcon(qt::ApplicationIcon());
  widget->resize(designClientWidth, designClientHeight);
  widget->onResized = [this] { impl_->Rescale(); };
  widget->onClose = [this](QCloseEvent* event) { impl_->HandleClose(event); };
  widget->onShown = [this] { CallHandler(OnShow); };
  widget->onContextMenu = [this](const QPoint& globalPos) { impl_->ShowSystemMenu(globalPos); };
  // The minimise notice arrives after the state change has settled, so that
  // its handler may hide the window.
  widget->onMinimized = [] {
    QTimer::singleShot(0, qApp, [] { Application::NotifyMinimized(); });
  };
  if (auto* app = dynamic_cast<qt::ToolkitApplication*>(QCoreApplication::instance()))
    app->SetKeyPreview([this](QObject* receiver, QEvent* event) { return impl_->Preview(receiver, event); });
  if (Application::MainForm() == nullptr) Application::SetMainWindow(this);
}

MainWindow::~MainWindow() {
  if (auto* app = dynamic_cast<qt::ToolkitApplication*>(QCoreApplication::instance())) app->SetKeyPreview(nullptr);
  if (Application::MainForm() == this) Application::SetMainWindow(nullptr);
}

void MainWindow::SetCaption(const std::string& caption) {
  impl_->caption = caption;
  impl_->ShowTitle();
}

std::string MainWindow::Caption() const { return impl_->caption; }

void MainWindow::ShowApplicationTitle() { impl_->ShowTitle(); }

// Where the desktop shows the window's title rather than the application's
// (Linux), the application title, and with it the alert's MAIL, would
// otherwise be seen nowhere. The toolkit adds the application's name to a
// title only when the title is set, so the window sets the whole text
// itself, again at every change of either part.
void MainWindow::Impl::ShowTitle() {
  const std::string title = Application::Title();
  widget->setWindowTitle(qt::ToQt(title.empty() ? caption : caption + " \u2014 " + title));
}

void MainWindow::SetClientSize(int width, int height) { impl_->widget->resize(width, height); }

void MainWindow::CenterOnScreen() {
  QScreen* screen = impl_->widget->screen();
  if (screen == nullptr) return;
  QRect area = screen->availableGeometry();
  QRect frame = impl_->widget->frameGeometry();
  impl_->widget->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void MainWindow::ApplyTabOrder() {
  std::vector<QWidget*> chain;
  CollectTabChain(*this, chain);
  for (size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

bool MainWindow::Minimized() const { return impl_->widget->isMinimized(); }

void MainWindow::Minimize() { impl_->widget->showMinimized(); }

void MainWindow::Close() { impl_->widget->close(); }

void MainWindow::PostClose() {
  QPointer<QWidget> widget = impl_->widget;
  QTimer::singleShot(0, qApp, [widget] {
    if (widget) widget->close();
  });
}

void MainWindow::AppendSystemMenuSeparator() { impl_->systemMenu.push_back({}); }

void MainWindow::AppendSystemMenuItem(const std::string& caption, int command) {
  impl_->systemMenu.push_back({caption, command, {}, false, false});
}

void MainWindow::AppendSystemSubmenuItem(const std::string& submenu, const std::string& caption, int command) {
  impl_->systemMenu.push_back({caption, command, submenu, true, false});
}

void MainWindow::SetSystemSubmenu(const std::string& submenu, const std::vector<SubmenuItem>& items) {
  std::vector<Impl::MenuItem>& menu = impl_->systemMenu;
  auto first = std::find_if(menu.begin(), menu.end(), [&](const Impl::MenuItem& item) { return item.submenu == submenu; });
  const std::ptrdiff_t at = first - menu.begin();
  std::erase_if(menu, [&](const Impl::MenuItem& item) { return item.submenu == submenu; });
  std::vector<Impl::MenuItem> replaced;
  for (const SubmenuItem& item : items) replaced.push_back({item.Caption, item.Command, submenu, item.Checkable, item.Checked});
  menu.insert(menu.begin() + at, replaced.begin(), replaced.end());
}

void MainWindow::SetSystemMenuItemChecked(int command, bool checked) {
  for (Impl::MenuItem& item : impl_->systemMenu) {
    if (item.command == command) item.checked = checked;
  }
}

bool MainWindow::SystemMenuItemChecked(int command) const {
  for (const Impl::MenuItem& item : impl_->systemMenu) {
    if (item.command == command) return item.checked;
  }
  return false;
}

void MainWindow::Impl::Rescale() {
  if (designWidth <= 0 || designHeight <= 0) return;
  double sx = static_cast<double>(widget->width()) / designWidth;
  double sy = static_cast<double>(widget->height()) / designHeight;
  ControlCore& core = owner->Core();
  core.ApplyScale(sx, sy);
  for (ControlCore* member : core.scaled) member->ApplyScale(sx, sy);
}

void MainWindow::Impl::ShowSystemMenu(const QPoint& globalPos) {
  if (systemMenu.empty()) return;
  QMenu menu(widget);
  std::vector<std::pair<std::string, QMenu*>> submenus;
  for (const MenuItem& item : systemMenu) {
    if (item.caption.empty()) {
      menu.addSeparator();
      continue;
    }
    QMenu* target = &menu;
    if (!item.submenu.empty()) {
      auto found = std::find_if(submenus.begin(), submenus.end(), [&](const auto& s) { return s.first == item.submenu; });
      target = found != submenus.end() ? found->second : menu.addMenu(qt::ToQt(item.submenu));
      if (found == submenus.end()) submenus.emplace_back(item.submenu, target);
    }
    QAction* action = target->addAction(qt::ToQt(item.caption));
    action->setCheckable(item.checkable);
    action->setChecked(item.checked);
    int command = item.command;
    QObject::connect(action, &QAction::triggered, widget, [this, command] { Choose(command); });
  }
  menu.exec(globalPos);
}

void MainWindow::Impl::Choose(int command) {
  if (owner->OnSystemCommand) RunGuarded([&] { owner->OnSystemCommand(command); });
}

void MainWindow::Impl::HandleClose(QCloseEvent* event) {
  if (Application::Terminated()) {
    event->accept();
    return;
  }
  bool canClose = true;
  if (owner->OnCloseQuery) {
    try {
      owner->OnCloseQuery(canClose);
    } catch (const std::exception& error) {
      canClose = false;
      ReportUnhandledError(error);
    }
  }
  if (!canClose) {
    event->ignore();
    return;
  }
  event->accept();
  if (Application::MainForm() == owner) Application::NotifyMainWindowClosed();
}

bool MainWindow::Impl::Preview(QObject* receiver, QEvent* event) {
  auto* target = qobject_cast<QWidget*>(receiver);
  if (target == nullptr || target->window() != widget) return false;
  if (event->type() == QEvent::ContextMenu) return IsPlatformKeyboardMenu(*static_cast<QContextMenuEvent*>(event));
  auto* key = static_cast<QKeyEvent*>(event);
  if (IsContextMenuKey(*key)) {
    OpenContextMenuByKey(target);
    return true;
  }
  return PreviewKey(key);
}

// The Menu key and Shift+F10 open the context menu of the control that has
// the focus, where it would open for a right click on it (the current cell
// of the list, the cursor of an edit, the middle of a button); a control
// without a menu of its own passes the request on to the window, whose
// menu then opens. Some platforms make a request of their own for the Menu
// key (never for Shift+F10): that one is dropped, or two menus would open.
bool MainWindow::Impl::IsContextMenuKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  return (event.key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
         (event.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

bool MainWindow::Impl::IsPlatformKeyboardMenu(const QContextMenuEvent& event) {
  return event.spontaneous() && event.reason() == QContextMenuEvent::Keyboard;
}

void MainWindow::Impl::OpenContextMenuByKey(QWidget* target) {
  QRect spot = target->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  if (!spot.isValid() || !target->rect().contains(spot.center())) spot = target->rect();
  const QPoint at = spot.center();
  QContextMenuEvent request(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at), Qt::NoModifier);
  QCoreApplication::sendEvent(target, &request);
}

bool MainWindow::Impl::PreviewKey(QKeyEvent* event) {
  if (!owner->OnKeyPress) return false;
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) return false;
  char key = 0;
  if (!qt::KeyChar(*event, key)) return false;
  RunGuarded([&] { owner->OnKeyPress(key); });
  return key == 0;
}

}  // namespace platform
