#pragma once

#include "platform/text/DateTime.h"

#include <string>
#include <string_view>

namespace zv {

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// The user's short date, long time and decimal separator. The short date is always
// 10 characters (two-digit day and month, four-digit year); the long time is h:mm:ss.
class FormatSettings {
public:
    // The C/POSIX notation: dd.mm.yyyy, h:mm:ss, decimal point ".".
    FormatSettings() = default;
    FormatSettings(DateOrder order, char dateSeparator, char timeSeparator,
                   std::string decimalSeparator);

    static FormatSettings fromSystemLocale();

    DateOrder dateOrder() const { return m_dateOrder; }
    char dateSeparator() const { return m_dateSeparator; }
    char timeSeparator() const { return m_timeSeparator; }
    const std::string& decimalSeparator() const { return m_decimalSeparator; }

    void setDateOrder(DateOrder order) { m_dateOrder = order; }
    void setDateSeparator(char separator) { m_dateSeparator = separator; }
    void setTimeSeparator(char separator) { m_timeSeparator = separator; }
    void setDecimalSeparator(std::string separator) { m_decimalSeparator = std::move(separator); }

    std::string shortDateFormat() const; // for example "dd.mm.yyyy"
    std::string longTimeFormat() const;  // for example "h:mm:ss"

    std::string formatDate(const Date& date) const;
    std::string formatTime(const TimeOfDay& time) const;
    // Date, one space, time: the text of the Time of beginning and Time of end cells.
    std::string timeStamp(const LocalDateTime& moment) const;

    // Parse what a person types in this notation; throw ConvertError otherwise.
    Date parseDate(std::string_view text) const;
    TimeOfDay parseTime(std::string_view text) const;

private:
    DateOrder m_dateOrder = DateOrder::DayMonthYear;
    char m_dateSeparator = '.';
    char m_timeSeparator = ':';
    std::string m_decimalSeparator = ".";
};

} // namespace zv
