#pragma once

#include <string_view>

// Values of HTTP header fields.
namespace zv::HeaderText {

// text without the spaces and tabs around it.
std::string_view trimmed(std::string_view text);

// Whether a Content-Type value names a page (text/html, parameters and case aside).
bool isHtml(std::string_view contentType);

} // namespace zv::HeaderText
