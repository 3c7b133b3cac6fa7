#pragma once

#include <string>

#include "pop3/MailMessage.h"
#include "pop3/StringList.h"

namespace mailbox {

// What the viewer shows (and saves): text a person reads, in UTF-8, every
// line followed by CR LF.

// The header view: the header lines in order; a field that carries
// encoded words or 8-bit text is shown decoded on one line (its name, the
// colon, its decoded value), every other line as it came.
std::string HeaderViewText(const pop3::StringList& header);

// The body view of a message FetchMessage filled: the display text, as the
// message's Display says it was sent, decoded from its transfer encoding
// (quoted-printable, Base64) and its charset, an HTML text without tables,
// scripts or styles as plain text (an other HTML text as it is), then the
// notes of the attachment files written. Text of no known charset, and a
// Body that is no part as sent, shows as 8-bit text shows everywhere;
// nothing is dropped.
std::string BodyViewText(const pop3::TMailMessage& message);

}  // namespace mailbox
