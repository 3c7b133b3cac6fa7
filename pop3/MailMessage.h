#pragma once

#include <string>

#include "pop3/ExStringList.h"
#include "pop3/MimePartHeader.h"
#include "pop3/StringList.h"
#include "pop3/TextLines.h"

namespace pop3 {

// What the text at the start of a message's Body is, as the one walk of
// the message found it, so that the viewer decodes it from there without
// walking the message again.
struct TDisplayPart {
  // Body's first Items items are the lines of the display part as they
  // came, still in the transfer coding and charset below. False when Body
  // holds text decoded already, or a message shown as it came.
  bool AsSent = false;
  std::string Type;                               // "text/plain" or "text/html", lower-case
  TransferCoding Coding = TransferCoding::AsSent;
  std::string Charset;                            // charset parameter, empty when none
  int Items = 0;                                  // items of Body that are the display text
};

// One message as FetchMessage leaves it: the main header, the display text
// and notes, and the names of the attachment files written. The rest of
// the body is not kept. Lists hold lines without their CR LF.
struct TMailMessage {
  TExStringList Header;       // main header lines, ending with its empty line
  TextLines Body;             // the display text, then one note per attachment (and the part cap's)
  TDisplayPart Display;       // what the display text at the start of Body is
  StringList Attachments;     // attachment file names, without folder
  std::string ContentType;    // value of the last Content-Type line seen
  std::string From;           // value of the last From line seen
  std::string Subject;        // value of the last Subject line seen
  std::string MessageId;      // value of the last Message-ID line seen
  std::string Boundary;       // multipart boundary from the main header
};

}  // namespace pop3
