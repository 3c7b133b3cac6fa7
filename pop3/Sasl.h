#pragma once

#include <string>

namespace pop3 {

// Base64 (RFC 4648, with padding) on one line, as SASL sends it.
std::string Base64Encode(const std::string& bytes);
// Decodes the Base64 of a SASL challenge as the coder reads a lone Base64
// text (codec::DecodeBase64Text). Returns what was decoded.
std::string Base64Decode(const std::string& text);

// The initial client response of SASL XOAUTH2 before its Base64 coding:
// "user=" user ^A "auth=Bearer " token ^A ^A.
std::string XOAuth2Response(const std::string& user, const std::string& token);

}  // namespace pop3
