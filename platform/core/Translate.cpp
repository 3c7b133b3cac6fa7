#include "platform/core/Translate.h"

#include <QCoreApplication>
#include <QString>

namespace platform {

std::string Tr(const char* context, const char* text) {
  return QCoreApplication::translate(context, text).toStdString();
}

std::string Substitute(std::string_view pattern, std::initializer_list<std::string_view> arguments) {
  std::string out;
  out.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const std::size_t index = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (index < arguments.size()) {
        out.append(*(arguments.begin() + index));
        ++i;
        continue;
      }
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace platform
