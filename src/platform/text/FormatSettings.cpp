#include "platform/text/FormatSettings.h"

#include "platform/text/ConvertError.h"

#include <QLocale>

#include <cstdio>
#include <optional>
#include <vector>

namespace zv {

namespace {

// Splits "12.3.2007" into its digit runs; nullopt when anything but digits and the separator
// appears or a part is empty or longer than maxDigits. Blanks around the whole text are allowed.
std::optional<std::vector<std::string_view>> numberFields(std::string_view text, char separator,
                                                          std::size_t maxDigits)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        const std::string_view part = text.substr(start, end - start);
        if (part.empty() || part.size() > maxDigits
            || part.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        fields.push_back(part);
        if (end == text.size())
            return fields;
        start = end + 1;
    }
}

int numberOf(std::string_view digits)
{
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

std::string twoDigits(int value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

char firstSeparator(const QString& format, char fallback)
{
    for (QChar c : format) {
        if (!c.isLetterOrNumber() && !c.isSpace() && c.unicode() < 0x80 && c != u'\'')
            return static_cast<char>(c.unicode());
    }
    return fallback;
}

} // namespace

FormatSettings::FormatSettings(DateOrder order, char dateSeparator, char timeSeparator,
                               std::string decimalSeparator)
    : m_dateOrder(order)
    , m_dateSeparator(dateSeparator)
    , m_timeSeparator(timeSeparator)
    , m_decimalSeparator(std::move(decimalSeparator))
{
}

FormatSettings FormatSettings::fromSystemLocale()
{
    const QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        return {};
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    const auto day = dateFormat.indexOf(u'd');
    const auto month = dateFormat.indexOf(u'M');
    const auto year = dateFormat.indexOf(u'y');
    DateOrder order = DateOrder::DayMonthYear;
    if (year >= 0 && year < day && year < month)
        order = DateOrder::YearMonthDay;
    else if (month >= 0 && month < day)
        order = DateOrder::MonthDayYear;
    return {order, firstSeparator(dateFormat, '.'),
            firstSeparator(locale.timeFormat(QLocale::ShortFormat), ':'),
            locale.decimalPoint().toStdString()};
}

std::string FormatSettings::shortDateFormat() const
{
    const std::string sep(1, m_dateSeparator);
    switch (m_dateOrder) {
    case DateOrder::MonthDayYear: return "mm" + sep + "dd" + sep + "yyyy";
    case DateOrder::YearMonthDay: return "yyyy" + sep + "mm" + sep + "dd";
    case DateOrder::DayMonthYear: break;
    }
    return "dd" + sep + "mm" + sep + "yyyy";
}

std::string FormatSettings::longTimeFormat() const
{
    const std::string sep(1, m_timeSeparator);
    return "h" + sep + "mm" + sep + "ss";
}

std::string FormatSettings::formatDate(const Date& date) const
{
    char year[16];
    std::snprintf(year, sizeof year, "%04d", date.year);
    const std::string sep(1, m_dateSeparator);
    switch (m_dateOrder) {
    case DateOrder::MonthDayYear: return twoDigits(date.month) + sep + twoDigits(date.day) + sep + year;
    case DateOrder::YearMonthDay: return year + sep + twoDigits(date.month) + sep + twoDigits(date.day);
    case DateOrder::DayMonthYear: break;
    }
    return twoDigits(date.day) + sep + twoDigits(date.month) + sep + year;
}

std::string FormatSettings::formatTime(const TimeOfDay& time) const
{
    const std::string sep(1, m_timeSeparator);
    return std::to_string(time.hour) + sep + twoDigits(time.minute) + sep + twoDigits(time.second);
}

std::string FormatSettings::timeStamp(const LocalDateTime& moment) const
{
    return formatDate(moment.date) + " " + formatTime(moment.time);
}

Date FormatSettings::parseDate(std::string_view text) const
{
    const auto fields = numberFields(text, m_dateSeparator, 4);
    if (!fields || fields->size() != 3)
        throw ConvertError::invalidDate(std::string(text));
    std::size_t dayIndex = 0, monthIndex = 1, yearIndex = 2;
    if (m_dateOrder == DateOrder::MonthDayYear)
        dayIndex = 1, monthIndex = 0;
    else if (m_dateOrder == DateOrder::YearMonthDay)
        yearIndex = 0, dayIndex = 2;
    const auto& f = *fields;
    // Day and month have one or two digits; the year four, or two meaning this century.
    if (f[dayIndex].size() > 2 || f[monthIndex].size() > 2
        || (f[yearIndex].size() != 2 && f[yearIndex].size() != 4))
        throw ConvertError::invalidDate(std::string(text));
    Date date{numberOf(f[yearIndex]), numberOf(f[monthIndex]), numberOf(f[dayIndex])};
    if (f[yearIndex].size() == 2)
        date.year += 2000;
    if (!date.valid())
        throw ConvertError::invalidDate(std::string(text));
    return date;
}

TimeOfDay FormatSettings::parseTime(std::string_view text) const
{
    const auto fields = numberFields(text, m_timeSeparator, 2);
    if (!fields || fields->size() < 2 || fields->size() > 3)
        throw ConvertError::invalidTime(std::string(text));
    const auto& f = *fields;
    const TimeOfDay time{numberOf(f[0]), numberOf(f[1]), f.size() == 3 ? numberOf(f[2]) : 0, 0};
    if (!time.valid())
        throw ConvertError::invalidTime(std::string(text));
    return time;
}

} // namespace zv
