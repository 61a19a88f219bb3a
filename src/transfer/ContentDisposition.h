#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zv {

// The file name a server gives in a Content-Disposition header (RFC 6266, RFC 8187).
namespace ContentDisposition {
// The name as UTF-8, not yet made safe: filename*=charset'language'percent-encoded when
// it is usable (UTF-8 or ISO-8859-1, letters in any case, well-formed escapes and UTF-8),
// else filename as a quoted string (backslash escapes undone) or a token, percent-decoded
// and read as ISO-8859-1 when that does not give UTF-8. Parameter names are compared
// without case; the first of each counts. nullopt when neither gives a name.
std::optional<std::string> fileName(std::string_view headerValue);
// A percent-encoded name (as in a URL's path) as UTF-8: read as ISO-8859-1 when its bytes
// are not UTF-8.
std::string decodedName(std::string_view encoded);
} // namespace ContentDisposition

} // namespace zv
