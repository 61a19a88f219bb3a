#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zv {

// The URL a request is sent to, made from the text a user typed, as a browser makes it:
// bytes that may not stand in a URL (a space, "|", quotes, non-ASCII bytes after the host)
// are percent-encoded, an existing "%XX" is kept, and a non-ASCII host is left for IDNA.
// A text holding CR, LF or NUL is no URL: nullopt.
std::optional<std::string> requestUrl(std::string_view typed);

} // namespace zv
