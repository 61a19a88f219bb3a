#include "transfer/ProgressTexts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zv {

namespace {

std::string oneDecimal(double value, std::string_view decimalSeparator)
{
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.1f", value);
    std::string text(digits);
    if (const auto point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, decimalSeparator);
    return text;
}

// "3 min" or "3 min 20 s": the larger unit, then the smaller one unless it is 0.
std::string twoUnits(long long large, const char* largeUnit, long long small, const char* smallUnit)
{
    std::string text = std::to_string(large) + largeUnit;
    if (small != 0) {
        text += ' ';
        text += std::to_string(small);
        text += smallUnit;
    }
    return text;
}

std::string hoursAndMinutes(long long minutes) { return twoUnits(minutes / 60, " h", minutes % 60, " min"); }

} // namespace

std::string ProgressTexts::speed(double bytesPerSecond, std::string_view decimalSeparator)
{
    constexpr double KiB = 1024;
    constexpr double MiB = 1024 * 1024;
    if (bytesPerSecond < KiB)
        return std::to_string(std::llround(bytesPerSecond)) + " Byte/s";
    if (bytesPerSecond < MiB)
        return oneDecimal(bytesPerSecond / KiB, decimalSeparator) + " KB/s";
    return oneDecimal(bytesPerSecond / MiB, decimalSeparator) + " MB/s";
}

std::string ProgressTexts::roughTime(std::chrono::seconds time)
{
    const long long seconds = std::max<long long>(time.count(), 1);
    if (seconds < 60)
        return std::to_string(seconds) + " s";
    if (seconds < 600) {
        // To ten seconds: finer would only flicker.
        const long long tens = (seconds + 5) / 10;
        return twoUnits(tens / 6, " min", tens % 6 * 10, " s");
    }
    const long long minutes = (seconds + 30) / 60;
    if (minutes < 60)
        return std::to_string(minutes) + " min";
    return hoursAndMinutes(minutes);
}

std::string ProgressTexts::duration(std::chrono::milliseconds time)
{
    const long long seconds = time.count() / 1000;
    if (seconds < 1)
        return "under a second";
    if (seconds < 60)
        return std::to_string(seconds) + " s";
    if (seconds < 3600)
        return twoUnits(seconds / 60, " min", seconds % 60, " s");
    return hoursAndMinutes(seconds / 60);
}

std::string ProgressTexts::retries(int count) { return std::to_string(count) + (count == 1 ? " retry" : " retries"); }

std::string ProgressTexts::askedWait(std::optional<std::chrono::seconds> retryAfter)
{
    return retryAfter ? "; the server asked to wait " + roughTime(*retryAfter) : std::string();
}

std::string ProgressTexts::ordinal(std::size_t number)
{
    const std::size_t lastTwo = number % 100;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        switch (number % 10) {
        case 1: suffix = "st"; break;
        case 2: suffix = "nd"; break;
        case 3: suffix = "rd"; break;
        default: break;
        }
    }
    return std::to_string(number) + suffix;
}

std::string ProgressTexts::endReason(const FailureReason& failure, bool bytesReceived)
{
    // A signed link expires after an hour or so: the bytes it gave are kept for a fresh link.
    const int status = failure.kind == FailureReason::Kind::HttpStatus ? failure.status : 0;
    if ((status == 403 || status == 410) && bytesReceived)
        return "The link has expired or was refused (HTTP " + std::to_string(status) + "): right-click, Change address";
    return failure.plainText();
}

} // namespace zv
