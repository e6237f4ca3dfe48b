#pragma once
// Date-time values (days since 30 Dec 1899 as a double) and the Gregorian
// calendar arithmetic on them. Valid for every day from 1 Jan 100 to
// 31 Dec 9999. Shared by the control and the backends.
#include <optional>
#include <string>
#include <string_view>

#include "agendor/platform/types.h"

namespace agendor {

class Locale;

namespace dt {

struct Ymd {
    int year;   // [100, 9999]
    int month;  // [1, 12]
    int day;    // [1, 31]
    friend bool operator==(const Ymd&, const Ymd&) = default;
};

// How the calendar reads a value: the day is the stored day (the one a query
// bound in days puts it on), and the time of day is rounded to the nearest
// millisecond, except that a time within half a millisecond of the next
// midnight reads 23:59:59.999 rather than 24:00. DateOnly, ToYmd,
// Year, Month, Day, Weekday, TimeOf, AddMonths and Format all read values
// this way, so they always agree with each other; DayNumber, TimeFraction
// and Compose give and take the stored parts unrounded. Every function
// raises Error for NaN, infinity and for values whose day lies outside
// 1 Jan 100 .. 31 Dec 9999.

struct Hms {
    int hour;         // [0, 23]
    int minute;       // [0, 59]
    int second;       // [0, 59]
    int millisecond;  // [0, 999]
};

constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

// Serial day number of a whole day (0 = 30 Dec 1899, negative before).
AGENDOR_CORE_EXPORT long DayNumber(DateTime value);
// Time of day as a fraction in [0, 1), counted forward from midnight also for
// days before 30 Dec 1899.
AGENDOR_CORE_EXPORT double TimeFraction(DateTime value);
// Puts a day number and a time fraction together (the inverse of the two above).
AGENDOR_CORE_EXPORT DateTime Compose(long dayNumber, double timeFraction);
// The whole day of value, at midnight.
AGENDOR_CORE_EXPORT DateTime DateOnly(DateTime value);

// A date from year, month and day. Months below 1 or above 12 and day numbers
// below 1 or beyond the month's end run into the neighbouring months and
// years (month 13 of 2001 is January 2002; day 0 is the last day of the
// month before). Raises Error when the result lies outside 100..9999.
AGENDOR_CORE_EXPORT DateTime FromYmd(int year, int month, int day);
// Hours, minutes and seconds outside their ranges run into the neighbouring
// days the same way.
AGENDOR_CORE_EXPORT DateTime FromYmdHms(int year, int month, int day, int hour, int minute, double second);

AGENDOR_CORE_EXPORT Ymd ToYmd(DateTime value);
AGENDOR_CORE_EXPORT int Year(DateTime value);
AGENDOR_CORE_EXPORT int Month(DateTime value);
AGENDOR_CORE_EXPORT int Day(DateTime value);
// Monday = 1 ... Sunday = 7.
AGENDOR_CORE_EXPORT int Weekday(DateTime value);
// Time of day rounded to the millisecond first, so 10:15 stored as a binary
// fraction never shows as 10:14.
AGENDOR_CORE_EXPORT Hms TimeOf(DateTime value);

AGENDOR_CORE_EXPORT DateTime AddDays(DateTime value, long days);
// A month step keeps the day of the month or takes the last day of a shorter
// target month; the time of day stays.
AGENDOR_CORE_EXPORT DateTime AddMonths(DateTime value, int months);
// Raises Error for a month outside [1, 12].
AGENDOR_CORE_EXPORT int DaysInMonth(int year, int month);
AGENDOR_CORE_EXPORT bool IsValidYmd(int year, int month, int day);

// Format patterns: d, dd, ddd (abbreviated weekday), dddd (full weekday),
// m, mm, mmm, mmmm (month; "mm"/"m" right after an hour and ':' mean
// minutes), yy, yyyy, hh, nn (minutes), ss. Other characters stand for
// themselves. Single h, n and s give the number without a leading zero;
// yyyy always has four digits (0100); a lone y stands for itself; longer
// runs of a letter are read from the left (ddddd is dddd, then d).
AGENDOR_CORE_EXPORT std::string Format(DateTime value, std::string_view pattern, const Locale& locale);

// "d.m.yyyy" or "dd.mm.yyyy" with a four-digit year; nullopt for anything
// that is not a real date from 1 Jan 100 to 31 Dec 9999.
AGENDOR_CORE_EXPORT std::optional<DateTime> ParseDayMonthYear(std::string_view text);

} // namespace dt
} // namespace agendor
