#pragma once

#include <string>

#include "pop3/ExStringList.h"
#include "pop3/StringList.h"

namespace pop3 {

// One message as FetchMessage leaves it: the main header, the raw lines
// after it, the display text and the names of the attachment files written.
// Lists hold lines without their CR LF.
struct TMailMessage {
  TExStringList Header;       // main header lines, ending with its empty line
  StringList RawLines;       // every line after the header, up to the final "."
  StringList Body;           // the display text
  StringList Attachments;    // attachment file names, without folder
  std::string ContentType;    // value of the last Content-Type line seen
  std::string From;           // value of the last From line seen
  std::string Subject;        // value of the last Subject line seen
  std::string MessageId;      // value of the last Message-ID line seen
  std::string Boundary;       // multipart boundary from the main header
};

}  // namespace pop3
