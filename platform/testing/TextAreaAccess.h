#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

class Control;
class TextArea;

// The test driver's part for the text area (see TestAccess.h): the mouse
// and keys on its text, and looks at what it draws.
namespace test_access {

// A place in the area's text: a line and a byte offset in it.
struct TextSpot {
  std::size_t line = 0;
  std::size_t offset = 0;
};

// Keys that produce no character, and the modifiers held with a key.
enum class Key { Up, Down, Left, Right, PageUp, PageDown, Home, End };
enum Modifier : unsigned { kNoModifier = 0, kShift = 1, kControl = 2 };

// A key press and release delivered to the control.
void KeyPress(Control& control, Key key, unsigned modifiers = kNoModifier);
// A letter with modifiers, as Ctrl+C: KeyChord(control, 'C', kControl).
void KeyChord(Control& control, char letter, unsigned modifiers);

// The left button pressed at one place of the text and released at
// another, moving in between; a click at a place with Shift held.
void DragText(TextArea& area, TextSpot from, TextSpot to);
void ShiftClickText(TextArea& area, TextSpot at);

// The lines in view, whole, as drawn, the last perhaps only in part in
// view.
std::vector<std::string> ShownLines(TextArea& area);
// What the screen shows on each line in view: nothing but background,
// text, or text with some of it (or its line end) drawn selected.
enum class Ink { Blank, Text, Selected };
std::vector<Ink> DrawnLines(TextArea& area);

// The text the clipboard holds, as UTF-8.
std::string ClipboardText();
// The area's context menu: the captions of the items that can be chosen
// now ("&" marks taken out), and choosing one as the user would.
std::vector<std::string> ContextMenuCaptions(TextArea& area);
bool ChooseContextMenuItem(TextArea& area, const std::string& caption);

// What assistive technology reads: the control's name and all the text
// its text interface offers (IsReadOnly tells its read-only state).
std::string AccessibleName(Control& control);
std::string AccessibleText(Control& control);

// The text area's text joined from its lines as drawn, for ShownText.
std::string ShownTextOf(TextArea& area);

}  // namespace test_access

}  // namespace platform
