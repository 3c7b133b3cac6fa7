#include "pop3/AttachmentFiles.h"

#include <utility>

#include "platform/core/DataFolder.h"
#include "platform/core/Exception.h"
#include "platform/core/Files.h"
#include "pop3/AttachmentName.h"

namespace pop3 {

AttachmentFiles::AttachmentFiles(std::string folder)
    : folder_(std::move(folder)), maxNameBytes_(platform::MaxFileNameBytes(folder_)) {}

std::string AttachmentFiles::PreparedName(const std::string& name) const {
  // Shortening may leave a dot or a blank at the end of what it kept.
  return SafeAttachmentName(FittedAttachmentName(SafeAttachmentName(name), maxNameBytes_));
}

// Each call goes on from the number where the last one for the same name
// stopped, so n parts of one name cost n tries in all, not n * n / 2.
std::string AttachmentFiles::FreeName(const std::string& wanted) {
  // Numbering keeps what comes before the last dot, so every alternative of
  // a name like "pop3.ini.a.b" would still be a replacement file of the
  // settings ("pop3.ini.a_1.b"). Whether an alternative is the program's
  // does not depend on its number; such a name starts afresh with its first
  // character made "_", which no name of the program's starts with.
  if (platform::IsProgramFileName(NumberedAttachmentName(wanted, 1))) {
    return FreeName("_" + (wanted.empty() ? std::string() : wanted.substr(1)));
  }
  std::int32_t& next = nextNumber_[wanted];
  for (;;) {
    std::string candidate = next == 0 ? wanted : NumberedAttachmentName(wanted, next);
    ++next;
    if (!platform::IsProgramFileName(candidate) && !platform::EntryExists(folder_ + candidate)) return candidate;
  }
}

std::unique_ptr<platform::FileStream> AttachmentFiles::CreateAttachment(std::string& name) {
  const std::string wanted = name;
  if (platform::IsProgramFileName(name)) name = FreeName(wanted);
  for (;;) {
    try {
      return std::make_unique<platform::FileStream>(folder_ + name, platform::FileOpenMode::CreateNew);
    } catch (const platform::EFileExists&) {
      name = FreeName(wanted);
    }
  }
}

}  // namespace pop3
