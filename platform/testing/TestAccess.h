#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

class CheckBox;
class Control;
class Edit;
class MainWindow;
class MessageGrid;
class TextArea;
class TrayIcon;
class WavePlayer;

// What tests need to drive the real widgets: the mouse and the keyboard as
// the user would use them, and a few looks at what the screen shows that
// the controls' own interface does not offer. Events go through the same
// path as the user's (QtTest's event functions), so disabled or hidden
// controls ignore them.
namespace test_access {

// Shows the window and pumps until the screen shows it.
void ShowWindow(MainWindow& window);
// Minimises the window as its title-bar button would.
void Minimize(MainWindow& window);
// Resizes the window's client area.
void Resize(MainWindow& window, int width, int height);

// A left click (or double click) in the middle of the control.
void Click(Control& control);
void DoubleClick(Control& control);

// Clicks on a grid cell; a click on a tick-box cell hits the tick box.
void ClickCell(MessageGrid& grid, int row, int col);
void DoubleClickCell(MessageGrid& grid, int row, int col);
void RightClickCell(MessageGrid& grid, int row, int col);
// Makes the cell the grid's current cell.
void SelectCell(MessageGrid& grid, int row, int col);

// A key press and release delivered to the control (Esc is 27, Enter '\r');
// TextAreaAccess.h has keys without a character and chords.
void KeyPress(Control& control, char key);
// The same, queued: it arrives while events are next pumped.
void PostKeyPress(Control& control, char key);
// Replaces an edit's text as typing would, one character at a time.
void TypeText(Edit& edit, const std::string& text);
// Replaces an edit's text by pasting text from the clipboard, as Ctrl+V does.
void PasteText(Edit& edit, const std::string& text);

// The text the screen shows in a label, edit, button or text area, as
// drawn: text the widget takes for markup comes back rendered; a text
// area's lines joined with LF.
std::string ShownText(Control& control);
// The text a control's or the tray icon's tooltip shows, rendered likewise.
std::string ShownHint(Control& control);
std::string ShownHint(TrayIcon& tray);
// The window's title as the desktop gets it.
std::string ShownTitle(MainWindow& window);
// Runs action with real (unscripted) boxes, each closed with its default
// button as soon as it opens; returns the text each box showed, rendered.
std::vector<std::string> ShownRealBoxes(const std::function<void()>& action);
bool ShowsPasswordEcho(Edit& edit);
bool IsReadOnly(TextArea& area);
bool HasHorizontalScrollBar(Control& control);  // the grid or the text area
bool HasVerticalScrollBar(Control& control);
// The colour a label's text is drawn in now (its palette for its state:
// enabled or disabled), as 0xRRGGBB.
unsigned ShownTextColor(Control& label);
// The colour of the background the label's text is drawn on, as 0xRRGGBB.
unsigned ShownBackgroundColor(Control& label);
// Gives the whole application a dark palette (light text on dark grey, as
// a dark desktop theme does), or back the style's own with false.
void UseDarkPalette(bool dark);
// Whether the cell's text is drawn cut (elided) in the cell's width, as the
// grid's style lays it out now.
bool CellTextCut(MessageGrid& grid, int row, int col);
// Whether a tick box is drawn whole (its border on all four sides) in the
// tick box control, or in the grid cell.
bool TickBoxDrawnWhole(CheckBox& box);
bool TickBoxDrawnWhole(MessageGrid& grid, int row, int col);
// Whether the cell is drawn selected (highlighted).
bool CellSelected(MessageGrid& grid, int row, int col);
// The toolkit's application display name, which it appends to every window
// title when set.
std::string ToolkitDisplayName();
// Whether the keyboard focus moves from one control straight to the next
// with the Tab key (controls that cannot take the focus are passed over).
bool IsNextInTabChain(Control& from, Control& to);

std::vector<std::string> SystemMenuCaptions(MainWindow& window);  // "" for a separator
// Chooses the item as the user would from the menu; false when absent.
bool ChooseSystemMenuItem(MainWindow& window, const std::string& caption);

std::vector<std::string> TrayMenuCaptions(TrayIcon& tray);
bool ChooseTrayMenuItem(TrayIcon& tray, const std::string& caption);
void ClickTray(TrayIcon& tray);
// How many times the player started its file (heard or not: the tests run
// without an audio output).
int PlayCount(WavePlayer& player);
void DoubleClickTray(TrayIcon& tray);

}  // namespace test_access

}  // namespace platform
