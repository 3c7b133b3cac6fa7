#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Control.h"

namespace platform {

namespace test_access {
struct Internals;
}

// The program's main window. Controls are placed in design pixels of the
// client area given at construction; when the window is resized, every
// control's position, size and font scale in proportion to it.
class MainWindow : public Container {
 public:
  // The first window created becomes the application's main window.
  MainWindow(int designClientWidth, int designClientHeight);
  ~MainWindow() override;

  // The title on screen is the caption followed by the application title
  // (see Application::SetTitle), which it follows whenever that changes.
  void SetCaption(const std::string& caption);
  std::string Caption() const;
  // Shows the application title anew; Application::SetTitle calls it.
  void ShowApplicationTitle();

  void SetClientSize(int width, int height);
  void CenterOnScreen();

  // Chains the keyboard focus through the controls by their tab orders.
  void ApplyTabOrder();

  bool Minimized() const;
  void Minimize();

  // Asks to close, as the window's close button does: OnCloseQuery decides.
  void Close();
  // Asks to close at the next pass of the event loop.
  void PostClose();

  // The window's system menu, opened by a right click on the window outside
  // its controls. Choosing an item calls OnSystemCommand with its number.
  void AppendSystemMenuSeparator();
  void AppendSystemMenuItem(const std::string& caption, int command);
  // An item with a check mark in the submenu called submenu (made where its
  // first item is appended).
  void AppendSystemSubmenuItem(const std::string& submenu, const std::string& caption, int command);
  // The items of the submenu called submenu, replacing those it had, in
  // their place (appended when it had none). Items are checkable or not.
  struct SubmenuItem {
    std::string Caption;
    int Command = 0;
    bool Checkable = false;
    bool Checked = false;
  };
  void SetSystemSubmenu(const std::string& submenu, const std::vector<SubmenuItem>& items);
  void SetSystemMenuItemChecked(int command, bool checked);
  bool SystemMenuItemChecked(int command) const;
  std::function<void(int command)> OnSystemCommand;

  // Key preview: every key press that produces a character in any control
  // of the window (Esc and Enter included) comes here first. Setting key to
  // 0 swallows it; the control then does not see it.
  std::function<void(char& key)> OnKeyPress;

  // The window is asked to close; leave canClose true to let it close. An
  // exception keeps it open. A closed main window ends the event loop.
  std::function<void(bool& canClose)> OnCloseQuery;
  // The window is being shown.
  std::function<void()> OnShow;

 private:
  // The widgets' test driver (platform/testing) looks inside.
  friend struct test_access::Internals;
  struct Impl;  // toolkit side
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
