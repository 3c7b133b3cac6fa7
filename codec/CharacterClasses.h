#pragma once

#include <string>

namespace codec {

// Classes of Unicode characters that text from a message must not carry
// where they would mislead, such as a file name. The tables follow the
// general categories of Unicode 15.1.

// Whether c shows nothing of its own or changes how the text around it
// shows: the general categories Cc (C0 controls, DEL, C1 controls), Cf
// (format characters: the bidirectional marks, embeddings, overrides and
// isolates, the zero-width characters, the byte-order mark, the soft
// hyphen, tags, ...), Zl and Zp (the line and paragraph separators).
bool IsControlOrFormat(char32_t c);

// Whether c overrides or embeds a direction for the text after it (U+202A
// to U+202E, U+2066 to U+2069): with them a name like "invoice\u202Efdp.exe"
// shows as "invoiceexe.pdf". The bidirectional marks (LRM, RLM, ALM) are
// not among them: they steer only the characters next to them, as text in
// Arabic or Hebrew needs.
bool IsDirectionOverride(char32_t c);

// text (UTF-8 or not) without the characters of IsDirectionOverride; other
// bytes stay as they are.
std::string WithoutDirectionOverrides(std::string text);

// Whether c is a space separator (general category Zs): the blank, the
// no-break space, the ideographic space and the typographic spaces.
bool IsSpaceSeparator(char32_t c);

}  // namespace codec
