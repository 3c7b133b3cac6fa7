#include "pop3/Sasl.h"

#include <algorithm>
#include <cstdint>

#include "codec/Base64Decoder.h"
#include "codec/CodecTables.h"

namespace pop3 {

std::string Base64Encode(const std::string& bytes) {
  const std::string_view alphabet = codec::kBase64Alphabet;
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t j = 0; j < 3; ++j) {
      group = (group << 8) | (j < count ? static_cast<unsigned char>(bytes[i + j]) : 0U);
    }
    for (std::size_t j = 0; j < 4; ++j) {
      text += j <= count ? alphabet[(group >> (18 - 6 * j)) & 63] : '=';
    }
  }
  return text;
}

std::string Base64Decode(const std::string& text) { return codec::DecodeBase64Text(text); }

std::string XOAuth2Response(const std::string& user, const std::string& token) {
  return "user=" + user + "\x01" "auth=Bearer " + token + "\x01\x01";
}

}  // namespace pop3
