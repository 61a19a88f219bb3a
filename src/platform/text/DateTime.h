#pragma once

#include <chrono>
#include <compare>

namespace zv {

// A calendar date in the local time zone; valid() rejects impossible dates such as 31.02.2007.
struct Date {
    int year = 0;
    int month = 0;
    int day = 0;

    auto operator<=>(const Date&) const = default;
    bool valid() const;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;

    auto operator<=>(const TimeOfDay&) const = default;
    bool valid() const;
};

struct LocalDateTime {
    Date date;
    TimeOfDay time;

    auto operator<=>(const LocalDateTime&) const = default;
};

int daysInMonth(int year, int month);

// The moment that many seconds later on the calendar (no time zone change is known here).
LocalDateTime secondsLater(const LocalDateTime& moment, std::chrono::seconds seconds);

} // namespace zv
