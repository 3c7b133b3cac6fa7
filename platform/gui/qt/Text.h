#pragma once

#include <QString>
#include <string>

namespace platform::qt {

// The one place where the program's 8-bit strings meet the toolkit's text.
// Bytes that form valid UTF-8 are shown as UTF-8; anything else (text from
// the wire in a single-byte code page) is shown as Latin-1, so no byte is
// ever lost on screen. A NUL byte, which would end the text in some of the
// toolkit's displays, is shown as the symbol for null (U+2400).
QString ToQt(const std::string& text);
inline constexpr char16_t kSymbolForNull = 0x2400;

// Like ToQt, with CR LF and lone CR line ends turned into the toolkit's LF,
// for multi-line displays.
QString ToQtLines(const std::string& text);

// The toolkit shows a tooltip as rich text whenever the text looks like
// markup, and offers no switch to turn that off: text that could be taken
// for markup comes back escaped inside a paragraph that keeps its spaces, so
// it is shown exactly as written. Other text is returned as ToQt gives it.
QString ToQtToolTip(const std::string& text);

// Text typed by the user reaches the logic as UTF-8.
std::string FromQt(const QString& text);

}  // namespace platform::qt

class QKeyEvent;

namespace platform::qt {

// The character a key press produces, as the logic's 8-bit char (a
// character outside Latin-1 gives '?'); false when it produces none.
bool KeyChar(const QKeyEvent& event, char& key);

}  // namespace platform::qt
