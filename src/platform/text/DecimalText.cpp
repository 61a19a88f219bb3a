#include "platform/text/DecimalText.h"

#include <charconv>

namespace zv {

std::optional<std::uint64_t> DecimalText::wholeNumber(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace zv
