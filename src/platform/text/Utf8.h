#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace zv {

// Byte counting that never splits a UTF-8 sequence. Texts are bytes; rules that count
// characters count bytes, backing off to the nearest sequence boundary.
class Utf8 {
public:
    // Length of the longest prefix of at most n bytes that ends on a sequence boundary.
    static std::size_t prefixLength(std::string_view text, std::size_t n);
    // Start of the longest suffix of at most n bytes that starts on a sequence boundary.
    static std::size_t suffixStart(std::string_view text, std::size_t n);
    // Start of the last character (the last byte when the text is not valid UTF-8 there).
    static std::size_t lastCharacterStart(std::string_view text);

private:
    static bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }
    static std::size_t sequenceLength(unsigned char lead);
    static bool wholeSequenceAt(std::string_view text, std::size_t start);
    static std::optional<std::size_t> enclosingSequence(std::string_view text, std::size_t position);
};

} // namespace zv
