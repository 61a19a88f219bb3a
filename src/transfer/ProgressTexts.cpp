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

std::string hoursAndMinutes(long long minutes)
{
    const long long hours = minutes / 60;
    const long long rest = minutes % 60;
    return std::to_string(hours) + " h" + (rest ? " " + std::to_string(rest) + " min" : std::string());
}

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
        const long long rest = tens % 6 * 10;
        return std::to_string(tens / 6) + " min" + (rest ? " " + std::to_string(rest) + " s" : std::string());
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
    if (seconds < 3600) {
        const long long rest = seconds % 60;
        return std::to_string(seconds / 60) + " min" + (rest ? " " + std::to_string(rest) + " s" : std::string());
    }
    return hoursAndMinutes(seconds / 60);
}

std::string ProgressTexts::retries(int count) { return std::to_string(count) + (count == 1 ? " retry" : " retries"); }

} // namespace zv
