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

LocalDateTime secondsLater(const LocalDateTime& moment, std::chrono::seconds seconds)
{
    using namespace std::chrono;
    const sys_days day{year_month_day{year{moment.date.year}, month{static_cast<unsigned>(moment.date.month)},
                                      std::chrono::day{static_cast<unsigned>(moment.date.day)}}};
    const sys_seconds later = day + hours{moment.time.hour} + minutes{moment.time.minute}
                            + std::chrono::seconds{moment.time.second} + seconds;
    const sys_days laterDay = floor<days>(later);
    const year_month_day date{laterDay};
    const hh_mm_ss time{later - laterDay};
    return {{static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
             static_cast<int>(static_cast<unsigned>(date.day()))},
            {static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
             static_cast<int>(time.seconds().count()), moment.time.msec}};
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
