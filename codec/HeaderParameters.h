#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace codec {

// One parameter of a MIME header field (Content-Type, Content-Disposition),
// decoded to UTF-8.
//
// value is the field's value after the colon (folded lines may still be
// joined by CR LF); name is the parameter's name ("filename", "name"),
// matched in any case. Understood forms:
// - name=token and name="quoted string" (backslash escapes undone), with
//   RFC 2047 encoded words inside decoded, as mailers write them;
// - RFC 2231: name*=charset'language'text with %XX escapes, and the
//   continuations name*0=, name*0*=, name*1*=, ... joined in the order of
//   their numbers (the charset comes from section 0; sections without "*"
//   are taken as they stand).
// The extended form wins over the plain one when both are given, since it
// is the one that carries the charset. Text in an unknown charset, or
// invalid in its charset, shows as ShownAsEightBit does. Nothing when the
// parameter is absent. Never raises.
std::optional<std::string> HeaderParameter(std::string_view value, std::string_view name);

// The same parameter, read the same way, as the bytes that were sent: the
// RFC 2231 forms joined and their %XX escapes undone, but no charset
// applied and no encoded word decoded, as a multipart boundary must be
// matched against the delimiter lines byte for byte.
std::optional<std::string> HeaderParameterBytes(std::string_view value, std::string_view name);

}  // namespace codec
