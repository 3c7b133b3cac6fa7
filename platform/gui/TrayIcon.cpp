#include "platform/gui/TrayIcon.h"

#include "platform/core/UnhandledError.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/Icons.h"
#include "platform/gui/qt/Text.h"
#include "platform/gui/qt/TrayIconImpl.h"

namespace platform {

void TrayIcon::Impl::NextImage() {
  imageIndex = imageIndex == 0 ? 1 : 0;
  icon.setIcon(qt::AlertIcon(imageIndex));
}

TrayIcon::TrayIcon() : impl_(std::make_unique<Impl>()) {
  impl_->icon.setIcon(qt::ApplicationIcon());
  impl_->icon.setContextMenu(&impl_->menu);
  impl_->animation.setInterval(150);
  QObject::connect(&impl_->animation, &QTimer::timeout, [this] { impl_->NextImage(); });
  QObject::connect(&impl_->icon, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) CallHandler(OnClick);
    if (reason == QSystemTrayIcon::DoubleClick) CallHandler(OnDblClick);
  });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::SetHint(const std::string& hint) {
  impl_->hint = hint;
  impl_->icon.setToolTip(qt::ToQtToolTip(hint));
}

std::string TrayIcon::Hint() const { return impl_->hint; }

void TrayIcon::Show() {
  impl_->shown = true;
  if (QSystemTrayIcon::isSystemTrayAvailable()) impl_->icon.show();
}

void TrayIcon::Hide() {
  impl_->shown = false;
  impl_->icon.hide();
}

bool TrayIcon::Shown() const { return impl_->shown; }

void TrayIcon::AddMenuItem(const std::string& caption, std::function<void()> onClick) {
  QAction* action = impl_->menu.addAction(qt::ToQt(caption));
  QObject::connect(action, &QAction::triggered, [handler = std::move(onClick)] { CallHandler(handler); });
}

void TrayIcon::SetAnimationInterval(unsigned intervalMs) { impl_->animation.setInterval(static_cast<int>(intervalMs)); }

void TrayIcon::StartAnimation() {
  if (impl_->animation.isActive()) return;
  impl_->NextImage();
  impl_->animation.start();
}

void TrayIcon::StopAnimation() {
  impl_->animation.stop();
  impl_->imageIndex = -1;
  impl_->icon.setIcon(qt::ApplicationIcon());
}

bool TrayIcon::Animating() const { return impl_->animation.isActive(); }

int TrayIcon::ImageIndex() const { return impl_->imageIndex; }

bool TrayIcon::SystemTrayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

}  // namespace platform
