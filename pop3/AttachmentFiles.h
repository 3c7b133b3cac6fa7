#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/core/FileStream.h"

namespace pop3 {

// Creates the files of one retrieval in the attachment folder, and nowhere
// else: every file is created new (an existing entry of the name, a
// symbolic link included even when it dangles, is never opened, emptied or
// followed, but counts as taken), and no file takes a name the program
// itself keeps in the data folder (platform::IsProgramFileName), in any
// letter case. Numbered alternatives are found in linear time over one
// retrieval: the numbers already passed for a name are not tried again.
class AttachmentFiles {
 public:
  // folder ends with its separator, or is empty for the current folder.
  explicit AttachmentFiles(std::string folder);

  // A name taken from a message or an event handler made fit for the
  // folder: a plain name (SafeAttachmentName), shortened to the file
  // system's limit with room for a number suffix (FittedAttachmentName),
  // with what the cut leaves at its end cleaned as SafeAttachmentName does.
  std::string PreparedName(const std::string& name) const;

  // The first of wanted, wanted numbered 1, 2, ... (NumberedAttachmentName)
  // that is no program file name and names no entry in the folder; when
  // every numbered alternative would be a program file name, the same for
  // wanted with its first character replaced by "_". The name is not
  // reserved: the file is created later.
  std::string FreeName(const std::string& wanted);

  // Creates the attachment file new under name, or, when that has been
  // taken (or is a program file name), under the next free alternative;
  // name is set to the name used. Raises EFileError for any other failure.
  std::unique_ptr<platform::FileStream> CreateAttachment(std::string& name);

 private:
  std::string folder_;
  std::size_t maxNameBytes_;
  // For each wanted name, the number of the next alternative to try.
  std::unordered_map<std::string, std::int32_t> nextNumber_;
};

}  // namespace pop3
