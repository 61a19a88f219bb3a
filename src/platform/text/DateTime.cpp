#include "platform/text/DateTime.h"

namespace zv {

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

bool Date::valid() const
{
    return year >= 1 && year <= 9999 && day >= 1 && day <= daysInMonth(year, month);
}

bool TimeOfDay::valid() const
{
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60
        && msec >= 0 && msec < 1000;
}

} // namespace zv
