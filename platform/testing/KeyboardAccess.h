#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

class Control;
class MainWindow;

// The test driver's keyboard without a mouse (see TestAccess.h): keys go
// where the keyboard focus is, as a person's typing does, never to a
// control the test names; the test learns where the focus went from
// Control::Focused.
namespace test_access {

enum class NavKey { Tab, BackTab, Enter, Space, Escape, Up, Down, Menu, ShiftF10 };

// Makes the window the active one, as the desktop does when the user
// switches to it, and pumps until it is.
void ActivateWindow(MainWindow& window);
// A key press and release delivered to the control that has the focus in
// the active window (the window itself when none has it).
void PressKey(NavKey key);
// Types text where the focus is, one character at a time.
void TypeAtFocus(const std::string& text);
// Presses key until control has the focus; false when it does not get it
// within 40 presses.
bool PressUntilFocused(NavKey key, const Control& control);
// Runs action (which opens a popup menu, say by PressKey); the menu is read
// and closed with Esc as soon as it opens. Returns its item captions ("&"
// marks taken out, "" for separators), empty when no menu opened.
std::vector<std::string> MenuOpenedBy(const std::function<void()>& action);

}  // namespace test_access

}  // namespace platform
