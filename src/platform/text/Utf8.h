#pragma once

#include <cstddef>
#include <string_view>

namespace zv {

// Byte counting that never splits a UTF-8 sequence. Texts are bytes; rules that count
// characters count bytes, backing off to the nearest sequence boundary.
namespace Utf8 {
// Length of the longest prefix of at most n bytes that ends on a sequence boundary.
std::size_t prefixLength(std::string_view text, std::size_t n);
// Start of the longest suffix of at most n bytes that starts on a sequence boundary.
std::size_t suffixStart(std::string_view text, std::size_t n);
// Start of the last character (the last byte when the text is not valid UTF-8 there).
std::size_t lastCharacterStart(std::string_view text);
// Whether text is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool isValid(std::string_view text);
} // namespace Utf8

} // namespace zv
