// Text the security steps take from the server or the user: the Base64 of a
// SASL challenge (an XOAUTH2 refusal), and the server edit's forms
// (pop3s://, [IPv6]:port, host:port). The first input byte picks the check.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "mailbox/MailboxSettings.h"
#include "pop3/Sasl.h"

namespace {

// Decoding what was encoded gives the bytes back; decoding any text gives at
// most three bytes per four characters.
void CheckBase64(const std::string& text) {
  FUZZ_CHECK(pop3::Base64Decode(pop3::Base64Encode(text)) == text);
  FUZZ_CHECK(pop3::Base64Decode(text).size() <= (text.size() * 3 + 3) / 4);
}

// Whatever is typed: a port in range, implicit TLS exactly for pop3s:// or
// port 995, and a host that is part of the text.
void CheckServerText(const std::string& text) {
  const mailbox::ServerAddress address = mailbox::SplitServerAddress(text);
  FUZZ_CHECK(address.Port >= 1 && address.Port <= 65535);
  bool scheme = text.size() > 8;
  for (std::size_t i = 0; scheme && i < 8; ++i) {
    const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 32) : text[i];
    scheme = c == "POP3S://"[i];
  }
  FUZZ_CHECK(address.ImplicitTls == (scheme || address.Port == mailbox::kImplicitTlsPort));
  FUZZ_CHECK(text.find(address.Host) != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) {
    CheckBase64(text);
  } else {
    CheckServerText(text);
  }
  return 0;
}
