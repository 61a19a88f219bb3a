#include "transfer/SpeedLimitText.h"

#include "platform/text/DecimalText.h"
#include "transfer/DownloadPreferences.h"

#include <algorithm>

namespace zv::SpeedLimitText {

namespace {

// Decimals beyond these count for less than a millionth of a byte per second.
constexpr std::size_t MostDecimals = 12;

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The whole part and the decimals, split at the first "." or decimal separator.
std::pair<std::string_view, std::string_view> split(std::string_view number, std::string_view decimalSeparator)
{
    const std::size_t point = number.find('.');
    const std::size_t own = decimalSeparator.empty() ? std::string_view::npos : number.find(decimalSeparator);
    if (point == std::string_view::npos && own == std::string_view::npos)
        return {number, {}};
    const bool byPoint = point < own;
    const std::size_t at = byPoint ? point : own;
    return {number.substr(0, at), number.substr(at + (byPoint ? 1 : decimalSeparator.size()))};
}

// unit * 0.decimals, to the nearest byte.
std::uint64_t fractionBytes(std::string_view decimals, std::uint64_t unit)
{
    decimals = decimals.substr(0, MostDecimals);
    std::uint64_t numerator = 0;
    std::uint64_t denominator = 1;
    for (char digit : decimals) {
        numerator = numerator * 10 + static_cast<std::uint64_t>(digit - '0');
        denominator *= 10;
    }
    return (numerator * unit + denominator / 2) / denominator;
}

// bytes / unit, every decimal written out: a unit that is a power of two divides into a
// finite decimal.
std::string exactDecimal(std::uint64_t bytes, std::uint64_t unit, std::string_view decimalSeparator)
{
    std::string text = std::to_string(bytes / unit);
    std::uint64_t rest = bytes % unit;
    if (rest != 0)
        text += decimalSeparator;
    while (rest != 0) {
        rest *= 10;
        text += static_cast<char>('0' + rest / unit);
        rest %= unit;
    }
    return text;
}

} // namespace

std::uint64_t bytesOf(Unit unit) { return unit == Unit::KBps ? 1024 : 1024 * 1024; }

std::optional<std::uint64_t> bytesPerSecond(std::string_view typed, Unit unit, std::string_view decimalSeparator)
{
    const auto [whole, decimals] = split(trimmed(typed), decimalSeparator);
    if ((whole.empty() && decimals.empty()) || !allDigits(decimals))
        return std::nullopt;
    // ".5" has no whole part; any other text, or too long a number, is none.
    const auto units = whole.empty() ? std::optional<std::uint64_t>(0) : DecimalText::wholeNumber(whole);
    if (!units)
        return std::nullopt;
    const std::uint64_t unitBytes = bytesOf(unit);
    if (*units > DownloadPreferences::FastestLimit / unitBytes)
        return std::nullopt;
    const std::uint64_t bytes = *units * unitBytes + fractionBytes(decimals, unitBytes);
    if (bytes == 0 || bytes > DownloadPreferences::FastestLimit)
        return std::nullopt;
    return bytes;
}

Shown shown(std::uint64_t bytesPerSecond, std::string_view decimalSeparator)
{
    const std::uint64_t megabyte = bytesOf(Unit::MBps);
    const bool twoDecimalsAtMost = bytesPerSecond % megabyte * 100 % megabyte == 0;
    const Unit unit = bytesPerSecond >= megabyte && twoDecimalsAtMost ? Unit::MBps : Unit::KBps;
    return {exactDecimal(bytesPerSecond, bytesOf(unit), decimalSeparator), unit};
}

} // namespace zv::SpeedLimitText
