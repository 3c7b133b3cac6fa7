#pragma once

#include <string>

namespace codec {

// Simple HTML as plain text: tags dropped, line breaks for <br> and the
// ends of blocks, blanks collapsed, character references decoded. html
// (UTF-8) is returned as it is when it holds a tag outside the simple set
// (tables, scripts, styles, forms, images, ...).
std::string HtmlAsPlainText(const std::string& html);

}  // namespace codec
