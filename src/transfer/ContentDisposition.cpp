#include "transfer/ContentDisposition.h"

#include "platform/text/HeaderText.h"
#include "platform/text/Utf8.h"

#include <algorithm>
#include <vector>

namespace zv {

namespace {

struct Parameter {
    std::string name; // lower case
    std::string value; // unquoted
};

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lowerAscii);
    return out;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "%XX" decoded. A "%" without two hex digits is kept as it is, or, when strict, makes the
// text unusable.
std::optional<std::string> percentDecoded(std::string_view text, bool strict)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const int high = text[at] == '%' && at + 2 < text.size() ? hexValue(text[at + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[at + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            at += 2;
        } else if (text[at] == '%' && strict) {
            return std::nullopt;
        } else {
            out += text[at];
        }
    }
    return out;
}

std::string latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// A quoted string from its opening quote: the text with backslash escapes undone, and
// where it ends (after the closing quote, or the end of the header when it is missing).
std::size_t readQuoted(std::string_view header, std::size_t at, std::string& value)
{
    for (++at; at < header.size() && header[at] != '"'; ++at) {
        if (header[at] == '\\' && at + 1 < header.size())
            ++at;
        value += header[at];
    }
    return std::min(at + 1, header.size());
}

// A parameter's value from after its "=": quoted or a token with blanks around it cut.
// Returns where the next parameter's ";" stands (npos at the end of the header).
std::size_t readValue(std::string_view header, std::size_t valueStart, std::string& value)
{
    const std::size_t first = header.find_first_not_of(" \t", valueStart);
    if (first != std::string_view::npos && header[first] == '"')
        return header.find(';', readQuoted(header, first, value));
    const std::size_t end = header.find(';', valueStart);
    value = HeaderText::trimmed(header.substr(valueStart, end == std::string_view::npos ? end : end - valueStart));
    return end;
}

// The parameters after the disposition type, split at ";" outside quoted strings. A value
// without a type before it ("filename=a.zip") is taken as a parameter too.
std::vector<Parameter> parameters(std::string_view header)
{
    std::vector<Parameter> found;
    const std::size_t typeEnd = header.find(';');
    const bool typeGiven = header.substr(0, typeEnd).find('=') == std::string_view::npos;
    std::size_t separator = typeGiven ? typeEnd : 0;
    for (std::size_t nameStart = typeGiven ? typeEnd + 1 : 0; separator != std::string_view::npos;
         nameStart = separator + 1) {
        const std::size_t equals = header.find_first_of("=;", nameStart);
        if (equals == std::string_view::npos || header[equals] == ';') {
            separator = equals;
            continue;
        }
        Parameter parameter{lowered(HeaderText::trimmed(header.substr(nameStart, equals - nameStart))), {}};
        separator = readValue(header, equals + 1, parameter.value);
        found.push_back(std::move(parameter));
    }
    return found;
}

const std::string* valueOf(const std::vector<Parameter>& found, std::string_view name)
{
    const auto it = std::find_if(found.begin(), found.end(), [name](const Parameter& p) { return p.name == name; });
    return it == found.end() ? nullptr : &it->value;
}

// charset'language'percent-encoded, nullopt when the charset is neither UTF-8 nor
// ISO-8859-1 or the bytes are not well-formed.
std::optional<std::string> extendedValue(std::string_view value)
{
    const std::size_t charsetEnd = value.find('\'');
    const std::size_t languageEnd = charsetEnd == std::string_view::npos ? charsetEnd : value.find('\'', charsetEnd + 1);
    if (languageEnd == std::string_view::npos)
        return std::nullopt;
    const std::string charset = lowered(value.substr(0, charsetEnd));
    const auto bytes = percentDecoded(value.substr(languageEnd + 1), true);
    if (!bytes)
        return std::nullopt;
    if (charset == "utf-8")
        return Utf8::isValid(*bytes) ? bytes : std::nullopt;
    if (charset == "iso-8859-1")
        return latin1ToUtf8(*bytes);
    return std::nullopt;
}

} // namespace

std::optional<std::string> ContentDisposition::fileName(std::string_view headerValue)
{
    const auto found = parameters(headerValue);
    if (const std::string* extended = valueOf(found, "filename*")) {
        if (auto name = extendedValue(*extended); name && !name->empty())
            return name;
    }
    if (const std::string* plain = valueOf(found, "filename")) {
        if (std::string name = decodedName(*plain); !name.empty())
            return name;
    }
    return std::nullopt;
}

std::string ContentDisposition::decodedName(std::string_view encoded)
{
    const std::string bytes = *percentDecoded(encoded, false);
    return Utf8::isValid(bytes) ? bytes : latin1ToUtf8(bytes);
}

} // namespace zv
