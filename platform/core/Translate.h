#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace platform {

// The program's own text in the user's language: the loaded translation's
// wording of text under context (see platform/gui/Translations.h), or text
// itself when there is none, as in English and the C locale. Both are
// UTF-8. Only texts of the program go through here, never one from the
// server, the settings file or a message. lupdate collects the calls by
// this name (an alias of its "translate"), so context and text must be
// string literals at the call.
std::string Tr(const char* context, const char* text);

// pattern with each %1 ... %9 replaced by the argument of that number, in
// one pass (an argument that itself holds "%2" is left alone); a number
// without an argument stays as written. Sentences are translated whole,
// with places for what is filled in, never pieced together.
std::string Substitute(std::string_view pattern, std::initializer_list<std::string_view> arguments);

}  // namespace platform
