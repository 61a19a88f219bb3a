#include "platform/text/Utf8.h"

#include <optional>

namespace zv {

namespace {

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 1;
}

bool wholeSequenceAt(std::string_view text, std::size_t start)
{
    const std::size_t length = sequenceLength(static_cast<unsigned char>(text[start]));
    if (start + length > text.size())
        return false;
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(static_cast<unsigned char>(text[start + i])))
            return false;
    }
    return true;
}

// The start of a valid multi-byte sequence that holds the byte at position, if any.
std::optional<std::size_t> enclosingSequence(std::string_view text, std::size_t position)
{
    for (std::size_t back = 0; back < 4 && back <= position; ++back) {
        const std::size_t start = position - back;
        const auto byte = static_cast<unsigned char>(text[start]);
        if (isContinuation(byte))
            continue;
        if (sequenceLength(byte) > back && wholeSequenceAt(text, start))
            return start;
        return std::nullopt;
    }
    return std::nullopt;
}

// The range a sequence's second byte must fall in, narrower than a continuation's where the
// lead byte alone would allow overlong forms, surrogates or code points past U+10FFFF.
bool validSecondByte(unsigned char lead, unsigned char second)
{
    switch (lead) {
    case 0xE0: return second >= 0xA0;
    case 0xED: return second < 0xA0;
    case 0xF0: return second >= 0x90;
    case 0xF4: return second < 0x90;
    default: return true;
    }
}

} // namespace

std::size_t Utf8::prefixLength(std::string_view text, std::size_t n)
{
    if (n >= text.size())
        return text.size();
    const auto start = enclosingSequence(text, n);
    return start && *start < n ? *start : n;
}

std::size_t Utf8::suffixStart(std::string_view text, std::size_t n)
{
    if (n >= text.size())
        return 0;
    const std::size_t cut = text.size() - n;
    const auto start = enclosingSequence(text, cut);
    if (start && *start < cut)
        return *start + sequenceLength(static_cast<unsigned char>(text[*start]));
    return cut;
}

std::size_t Utf8::lastCharacterStart(std::string_view text)
{
    if (text.empty())
        return 0;
    const std::size_t last = text.size() - 1;
    const auto start = enclosingSequence(text, last);
    return start ? *start : last;
}

bool Utf8::isValid(std::string_view text)
{
    for (std::size_t start = 0; start < text.size();) {
        const auto lead = static_cast<unsigned char>(text[start]);
        const std::size_t length = sequenceLength(lead);
        if (length == 1) {
            if (lead >= 0x80)
                return false;
        } else if (!wholeSequenceAt(text, start) || !validSecondByte(lead, static_cast<unsigned char>(text[start + 1]))) {
            return false;
        }
        start += length;
    }
    return true;
}

} // namespace zv
