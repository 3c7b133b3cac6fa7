#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/Pop3TestServer.h"

namespace testsupport {

// A message whose header holds the given lines (CR LF added), then a short
// body ("Hello,", "this is the body.").
std::string MessageWithHeader(const std::vector<std::string>& headerLines);

// Adds to mailbox a message with From: Sender n, Subject: Subject n,
// Date: Date n and a Message-ID; returns the size the server lists for it.
std::int64_t AddNumberedMessage(Mailbox& mailbox, int n);

// A multipart message as Python's email package writes it, from Ann Lee
// with the subject "Quarterly report": a text part ("Hello Bob,", "the
// report is attached.") and one Base64 attachment, "report.bin", that holds
// ReportAttachmentBytes().
extern const char* const kReportMessage;
// The bytes 0 to 255, CR LF, NUL and "end".
std::string ReportAttachmentBytes();

}  // namespace testsupport
