#include "tests/support/TestMessages.h"

namespace testsupport {

std::string MessageWithHeader(const std::vector<std::string>& headerLines) {
  std::string text;
  for (const std::string& line : headerLines) text += line + "\r\n";
  return text + "\r\nHello,\r\nthis is the body.\r\n";
}

std::int64_t AddNumberedMessage(Mailbox& mailbox, int n) {
  const std::string number = std::to_string(n);
  return mailbox.AddMessage(MessageWithHeader({"From: Sender " + number, "Subject: Subject " + number,
                                               "Date: Date " + number, "Message-ID: <" + number + "@example.com>"}));
}

const char* const kReportMessage =
    "From: Ann Lee <ann@example.com>\r\n"
    "To: bob@example.com\r\n"
    "Subject: Quarterly report\r\n"
    "Date: Mon, 03 Mar 2025 10:00:00 +0000\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"==BOUNDARY-42==\"\r\n"
    "\r\n"
    "--==BOUNDARY-42==\r\n"
    "Content-Type: text/plain; charset=\"utf-8\"\r\n"
    "Content-Transfer-Encoding: 7bit\r\n"
    "\r\n"
    "Hello Bob,\r\n"
    "the report is attached.\r\n"
    "\r\n"
    "--==BOUNDARY-42==\r\n"
    "Content-Type: application/octet-stream\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment; filename=\"report.bin\"\r\n"
    "MIME-Version: 1.0\r\n"
    "\r\n"
    "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4\r\n"
    "OTo7PD0+P0BBQkNERUZHSElKS0xNTk9QUVJTVFVWV1hZWltcXV5fYGFiY2RlZmdoaWprbG1ub3Bx\r\n"
    "cnN0dXZ3eHl6e3x9fn+AgYKDhIWGh4iJiouMjY6PkJGSk5SVlpeYmZqbnJ2en6ChoqOkpaanqKmq\r\n"
    "q6ytrq+wsbKztLW2t7i5uru8vb6/wMHCw8TFxsfIycrLzM3Oz9DR0tPU1dbX2Nna29zd3t/g4eLj\r\n"
    "5OXm5+jp6uvs7e7v8PHy8/T19vf4+fr7/P3+/w0KAGVuZA==\r\n"
    "\r\n"
    "--==BOUNDARY-42==--\r\n";

std::string ReportAttachmentBytes() {
  std::string bytes;
  for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
  return bytes + "\r\n" + std::string(1, '\0') + "end";
}

}  // namespace testsupport
