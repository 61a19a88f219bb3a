#include "platform/net/RequestUrl.h"

#include <cctype>

namespace zv {

namespace {

bool isHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Unreserved and reserved characters stand in a URL as they are.
bool standsAsItIs(char c)
{
    if (std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80)
        return true;
    return std::string_view("-._~:/?#[]@!$&'()*+,;=").find(c) != std::string_view::npos;
}

bool isExistingEscape(std::string_view text, std::size_t at)
{
    return text[at] == '%' && at + 2 < text.size() && isHexDigit(text[at + 1]) && isHexDigit(text[at + 2]);
}

void appendEscaped(std::string& out, unsigned char byte)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// Where the host part ends: after "scheme://", at the first "/", "?" or "#".
std::size_t authorityEnd(std::string_view typed)
{
    const std::size_t schemeEnd = typed.find("://");
    if (schemeEnd == std::string_view::npos)
        return 0;
    const std::size_t end = typed.find_first_of("/?#", schemeEnd + 3);
    return end == std::string_view::npos ? typed.size() : end;
}

} // namespace

std::optional<std::string> requestUrl(std::string_view typed)
{
    if (typed.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return std::nullopt;
    const std::size_t hostEnd = authorityEnd(typed);
    std::string out;
    out.reserve(typed.size());
    for (std::size_t at = 0; at < typed.size(); ++at) {
        const char c = typed[at];
        const bool nonAsciiHost = at < hostEnd && static_cast<unsigned char>(c) >= 0x80;
        if (standsAsItIs(c) || nonAsciiHost || (c == '%' && isExistingEscape(typed, at)))
            out += c;
        else
            appendEscaped(out, static_cast<unsigned char>(c));
    }
    return out;
}

} // namespace zv
