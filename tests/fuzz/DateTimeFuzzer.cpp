// Any text as a date, a time and a Schedule cell, in any of the notations the user's locale
// may set: a parse either refuses the text or gives a valid value that formats and parses
// back to itself, and the schedule split keeps to its byte counts without cutting a
// character in two. A cell that reads gives a moment whose written form reads back at the
// fixed positions to the same moment; one that does not keeps its fixed-position split.
#include "platform/text/ConvertError.h"
#include "platform/text/FormatSettings.h"
#include "tasks/CellFormats.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using namespace zv;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// Well-formed UTF-8 as the program reads it: ASCII, or a lead byte C2-DF, E0-EF or F0-F4
// with its continuation bytes.
bool isUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1
            : lead >= 0xC2 && lead <= 0xDF   ? 2
            : lead >= 0xE0 && lead <= 0xEF   ? 3
            : lead >= 0xF0 && lead <= 0xF4   ? 4
                                             : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

// "d", "m" or "y" for the order of day, month and year, then the date and time separators.
std::optional<FormatSettings> settingsFrom(std::string_view head)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    // A locale never separates numbers by a digit.
    if (isDigit(head[1]) || isDigit(head[2]))
        return std::nullopt;
    const DateOrder order = head[0] == 'm' ? DateOrder::MonthDayYear
        : head[0] == 'y'                   ? DateOrder::YearMonthDay
                                           : DateOrder::DayMonthYear;
    return FormatSettings(order, head[1], head[2], ".");
}

void checkDate(const FormatSettings& settings, std::string_view text)
{
    Date date;
    try {
        date = settings.parseDate(text);
    } catch (const ConvertError&) {
        return;
    }
    require(date.valid());
    require(settings.parseDate(settings.formatDate(date)) == date);
}

void checkTime(const FormatSettings& settings, std::string_view text)
{
    TimeOfDay time;
    try {
        time = settings.parseTime(text);
    } catch (const ConvertError&) {
        return;
    }
    require(time.valid());
    require(settings.parseTime(settings.formatTime(time)) == time);
}

void checkSchedule(std::string_view cell)
{
    const auto parts = CellFormats::splitSchedule(cell);
    require(parts.date.size() <= 10 && cell.substr(0, parts.date.size()) == parts.date);
    require(parts.time.size() <= 8 && cell.substr(cell.size() - parts.time.size()) == parts.time);
    if (isUtf8(cell))
        require(isUtf8(parts.date) && isUtf8(parts.time));
}

void checkScheduleReading(const FormatSettings& settings, std::string_view cell)
{
    const auto parts = CellFormats::scheduleParts(cell, settings);
    LocalDateTime moment;
    try {
        moment = {settings.parseDate(parts.date), settings.parseTime(parts.time)};
    } catch (const ConvertError&) {
        const auto fixed = CellFormats::splitSchedule(cell);
        require(parts.date == fixed.date && parts.time == fixed.time);
        return;
    }
    const auto written = CellFormats::splitSchedule(settings.timeStamp(moment));
    require(settings.parseDate(written.date) == moment.date && settings.parseTime(written.time) == moment.time);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Three bytes choose the notation; the rest is the text.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.size() < 3)
        return 0;
    const auto settings = settingsFrom(input.substr(0, 3));
    const std::string_view text = input.substr(3);
    checkSchedule(text);
    if (!settings)
        return 0;
    checkDate(*settings, text);
    checkTime(*settings, text);
    const auto parts = CellFormats::splitSchedule(text);
    checkDate(*settings, parts.date);
    checkTime(*settings, parts.time);
    checkScheduleReading(*settings, text);
    return 0;
}
