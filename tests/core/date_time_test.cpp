#include "agendor/core/date_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <limits>
#include <string>

#include "agendor/core/locale.h"
#include "agendor/platform/memory/clock.h"
#include "tests/support/error_of.h"

namespace agendor::dt {
namespace {

using namespace std::chrono;

constexpr sys_days kEpoch = sys_days{1899y / December / 30};
const char* const kRangeMessage = "Datum außerhalb des gültigen Bereichs (1.1.100 bis 31.12.9999)";

std::string Iso(DateTime value) { return Format(value, "yyyy-mm-dd", DefaultLocale()); }

// Every day of the supported range, against the standard library's civil
// calendar: serial number, fields, weekday and validity.
TEST(DateTimeTest, EveryDayRoundTripsThroughItsSerialNumber) {
    const sys_days first{year{kMinYear} / January / 1};
    const sys_days last{year{kMaxYear} / December / 31};
    long checked = 0;
    for (sys_days day = first; day <= last; day += days{1}) {
        const year_month_day date{day};
        const int y = static_cast<int>(date.year());
        const int m = static_cast<int>(static_cast<unsigned>(date.month()));
        const int d = static_cast<int>(static_cast<unsigned>(date.day()));
        const long serial = static_cast<long>((day - kEpoch).count());

        const DateTime built = FromYmd(y, m, d);
        ASSERT_EQ(built, static_cast<double>(serial)) << y << '-' << m << '-' << d;
        ASSERT_EQ(ToYmd(built), (Ymd{y, m, d})) << serial;
        // A time of day must not move the day, on either side of 1899-12-30.
        ASSERT_EQ(ToYmd(Compose(serial, 0.75)), (Ymd{y, m, d})) << serial;
        ASSERT_EQ(Weekday(built), static_cast<int>(weekday{day}.iso_encoding())) << serial;
        ASSERT_TRUE(IsValidYmd(y, m, d));
        ++checked;
    }
    EXPECT_EQ(checked, 2958465 + 657434 + 1);
}

TEST(DateTimeTest, NegativeValuesCountTheTimeForwardFromMidnight) {
    // -1.25 is 29 Dec 1899 06:00, not 28 Dec 18:00.
    EXPECT_EQ(DayNumber(-1.25), -1);
    EXPECT_DOUBLE_EQ(TimeFraction(-1.25), 0.25);
    EXPECT_EQ(ToYmd(-1.25), (Ymd{1899, 12, 29}));
    EXPECT_EQ(TimeOf(-1.25).hour, 6);
    EXPECT_EQ(DateOnly(-1.25), -1.0);
    EXPECT_EQ(Compose(-1, 0.25), -1.25);
    EXPECT_EQ(FromYmdHms(1899, 12, 29, 6, 0, 0), -1.25);
    EXPECT_EQ(FromYmdHms(1899, 12, 29, 18, 0, 0), -1.75);

    // -0.5 and 0.5 are the same moment: day 0 at noon.
    EXPECT_EQ(DayNumber(-0.5), 0);
    EXPECT_EQ(ToYmd(-0.5), (Ymd{1899, 12, 30}));
    EXPECT_EQ(TimeOf(-0.5).hour, 12);

    // Adding days across day 0 keeps the time of day.
    EXPECT_EQ(AddDays(-1.25, 2), 1.25);
    EXPECT_EQ(AddDays(1.25, -2), -1.25);
    EXPECT_EQ(AddDays(-1.25, 1), 0.25);
    EXPECT_EQ(Format(AddDays(-1.25, 1), "dd.mm.yyyy hh:mm", DefaultLocale()), "30.12.1899 06:00");

    const DateTime early = FromYmdHms(1492, 10, 12, 18, 30, 0);
    EXPECT_LT(early, 0.0);
    EXPECT_EQ(Format(early, "dd.mm.yyyy hh:mm", DefaultLocale()), "12.10.1492 18:30");
    EXPECT_EQ(Compose(DayNumber(early), TimeFraction(early)), early);
}

// Months and days beyond their ranges run into the neighbouring months and
// years, as far as the serial number reaches (38000 years are 95 cycles of
// 146097 days).
TEST(DateTimeTest, FromYmdRunsIntoNeighbouringMonthsAndYears) {
    const struct {
        int year, month, day;
        const char* expected;  // yyyy-mm-dd
    } cases[] = {
        {2001, 13, 1, "2002-01-01"}, {2001, 25, 1, "2003-01-01"}, {2001, 0, 1, "2000-12-01"},
        {2001, -11, 1, "2000-01-01"}, {2001, -12, 1, "1999-12-01"}, {2001, 3, 0, "2001-02-28"},
        {2000, 3, 0, "2000-02-29"}, {2001, 1, 0, "2000-12-31"}, {2000, 2, 30, "2000-03-01"},
        {2001, 12, 32, "2002-01-01"}, {2001, 1, 366, "2002-01-01"}, {2001, 1, -30, "2000-12-01"},
        {2001, 14, 0, "2002-01-31"}, {2001, 11, 1 - 3, "2001-10-29"}, {2000, 1 + 12 * 5000, 1, "7000-01-01"},
        {40000, 1, 1 - 95 * 146097, "2000-01-01"}, {-36000, 1, 1 + 95 * 146097, "2000-01-01"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Iso(FromYmd(c.year, c.month, c.day)), c.expected) << c.year << ' ' << c.month << ' ' << c.day;
}

TEST(DateTimeTest, DatesOutsideTheRangeRaise) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"99-12-31", [] { FromYmd(99, 12, 31); }}, {"100-1-0", [] { FromYmd(100, 1, 0); }},
        {"9999-12-32", [] { FromYmd(9999, 12, 32); }}, {"10000-1-1", [] { FromYmd(10000, 1, 1); }},
        {"INT_MAX", [] { FromYmd(INT_MAX, INT_MAX, INT_MAX); }}, {"INT_MIN", [] { FromYmd(INT_MIN, INT_MIN, INT_MIN); }},
        {"AddDays up", [] { AddDays(FromYmd(9999, 12, 31), 1); }},
        {"AddDays LONG_MIN", [] { AddDays(FromYmd(100, 1, 1), LONG_MIN); }},
        {"AddMonths up", [] { AddMonths(FromYmd(9999, 12, 1), 1); }},
        {"AddMonths INT_MIN", [] { AddMonths(FromYmd(100, 1, 31), INT_MIN); }},
        {"ToYmd after", [] { ToYmd(2958466.0); }}, {"ToYmd before", [] { ToYmd(-657435.0); }},
        {"Year 1e300", [] { Year(1e300); }}, {"Year of the day after", [] { Year(2958466.0); }}};
    for (const auto& [name, action] : cases) EXPECT_EQ(ErrorOf(action), kRangeMessage) << name;
    EXPECT_EQ(ErrorOf([] { Weekday(std::numeric_limits<double>::quiet_NaN()); }),
              "Ungültiger Datumswert: keine endliche Zahl");
    EXPECT_EQ(ErrorOf([] { DayNumber(std::numeric_limits<double>::infinity()); }),
              "Ungültiger Datumswert: keine endliche Zahl");
    // The last millisecond of 9999 still reads, and so does what lies just short of the day after.
    EXPECT_EQ(Year(FromYmdHms(9999, 12, 31, 23, 59, 59.999)), 9999);
    EXPECT_EQ(Year(std::nextafter(2958466.0, 0.0)), 9999);
}

TEST(DateTimeTest, AddMonthsKeepsTheDayOrTakesTheLastDayOfAShorterMonth) {
    const struct {
        Ymd from;
        int months;
        Ymd expected;
    } cases[] = {
        {{2001, 1, 31}, 1, {2001, 2, 28}}, {{2000, 1, 31}, 1, {2000, 2, 29}}, {{2100, 1, 31}, 1, {2100, 2, 28}},
        {{2001, 3, 31}, -1, {2001, 2, 28}}, {{2004, 3, 31}, -1, {2004, 2, 29}}, {{2001, 5, 31}, 1, {2001, 6, 30}},
        {{2001, 8, 31}, -6, {2001, 2, 28}}, {{2001, 12, 15}, 1, {2002, 1, 15}}, {{2001, 1, 15}, -1, {2000, 12, 15}},
        {{2000, 2, 29}, 12, {2001, 2, 28}}, {{2000, 2, 29}, 48, {2004, 2, 29}}, {{2001, 1, 31}, 25, {2003, 2, 28}},
        {{2001, 1, 31}, -13, {1999, 12, 31}}, {{1899, 12, 29}, 1, {1900, 1, 29}}, {{2001, 2, 28}, 0, {2001, 2, 28}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from.year) + "-" + std::to_string(c.from.month) + "-" +
                     std::to_string(c.from.day) + " + " + std::to_string(c.months));
        const DateTime from = FromYmdHms(c.from.year, c.from.month, c.from.day, 10, 15, 0);
        const DateTime result = AddMonths(from, c.months);
        EXPECT_EQ(ToYmd(result), c.expected);
        EXPECT_EQ(TimeOf(result).hour * 60 + TimeOf(result).minute, 10 * 60 + 15);
        EXPECT_NEAR(TimeFraction(result), TimeFraction(from), 1e-9);
    }
}

TEST(DateTimeTest, DaysInMonthFollowsTheGregorianLeapYears) {
    const int cases[][3] = {{1900, 2, 28}, {2000, 2, 29}, {2004, 2, 29}, {2100, 2, 28}, {2001, 4, 30}, {2001, 12, 31}};
    for (const auto& c : cases) EXPECT_EQ(DaysInMonth(c[0], c[1]), c[2]) << c[0] << '-' << c[1];
    EXPECT_EQ(ErrorOf([] { DaysInMonth(2001, 13); }), "Ungültiger Monat: 13");
    for (const auto& [y, m, d] : {Ymd{2001, 13, 1}, Ymd{2001, 0, 1}, Ymd{99, 12, 31}, Ymd{10000, 1, 1}})
        EXPECT_FALSE(IsValidYmd(y, m, d)) << y << '-' << m << '-' << d;
}

TEST(DateTimeTest, FormatWritesThePattern) {
    const struct {
        DateTime value;
        const char* pattern;
        const char* expected;
    } cases[] = {
        {FromYmd(2001, 11, 5), "ddd, dd.mm.yy", "Mo, 05.11.01"},
        {FromYmd(2001, 11, 11), "ddd, dd.mm.yy", "So, 11.11.01"}, {FromYmd(2001, 3, 1), "mmmm yyyy", "März 2001"},
        {FromYmd(2001, 10, 29), "mmm", "Okt"}, {FromYmd(2001, 3, 29), "mmm yyyy", "Mär 2001"},
        {FromYmd(2001, 11, 7), "dddd", "Mittwoch"}, {FromYmd(2001, 3, 5), "d.m.yyyy", "5.3.2001"},
        {FromYmd(2001, 3, 5), "dd.mm.yyyy", "05.03.2001"}, {FromYmdHms(2000, 11, 5, 10, 15, 0), "mm.yyyy", "11.2000"},
        {FromYmd(2000, 1, 1), "yy", "00"}, {FromYmd(100, 1, 1), "dd.mm.yyyy", "01.01.0100"},
        {FromYmd(9999, 12, 31), "dddd, d. mmmm yyyy", "Freitag, 31. Dezember 9999"},
        {FromYmdHms(2001, 1, 1, 9, 5, 7), "hh:mm:ss", "09:05:07"}, {FromYmdHms(2001, 1, 1, 9, 5, 7), "h:m", "9:5"},
        {FromYmdHms(2001, 1, 1, 9, 5, 7), "hh.nn", "09.05"}, {FromYmdHms(2001, 1, 1, 9, 5, 7), "hhmm", "0905"},
        {FromYmdHms(2000, 11, 5, 9, 30, 0), "hh:mm dd.mm.yyyy", "09:30 05.11.2000"},
        {FromYmdHms(2000, 11, 5, 9, 30, 0), "dd.mm.yyyy hh:mm", "05.11.2000 09:30"},
        {FromYmd(2001, 2, 3), "d/m/yy, KW", "3/2/01, KW"}, {FromYmd(2001, 2, 3), "y", "y"},
        // Just below 10:15, just short of the new year, the last millisecond.
        {36526.427083333, "hh:mm", "10:15"},
        {Compose(static_cast<long>(FromYmd(2001, 12, 31)), 0.9999999999), "ddd dd.mm.yyyy hh:mm:ss",
         "Mo 31.12.2001 23:59:59"},
        {FromYmdHms(2001, 12, 31, 23, 59, 59.999), "dd.mm.yyyy hh:mm:ss", "31.12.2001 23:59:59"},
        // Times outside their ranges run into the neighbouring days.
        {FromYmdHms(2001, 12, 31, 24, 30, 0), "dd.mm.yyyy hh:mm", "01.01.2002 00:30"},
        {FromYmdHms(2001, 1, 1, 0, -1, 0), "dd.mm.yyyy hh:mm", "31.12.2000 23:59"},
        {FromYmdHms(2001, 1, 1, 10, 14, 60), "hh:mm:ss", "10:15:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(Format(c.value, c.pattern, DefaultLocale()), c.expected) << c.pattern;
}

TEST(DateTimeTest, EveryMinuteShowsAsItselfHoweverTheFractionWasComputed) {
    for (const long day : {-657434L, -2L, 0L, 36526L, 2958465L}) {
        for (int minuteOfDay = 0; minuteOfDay < 24 * 60; ++minuteOfDay) {
            const int hour = minuteOfDay / 60;
            const int minute = minuteOfDay % 60;
            char expected[16];
            std::snprintf(expected, sizeof expected, "%02d:%02d", hour, minute);
            const double exact = minuteOfDay / 1440.0;
            const double summed = hour / 24.0 + minute / 1440.0;
            const double justBelow = std::nextafter(exact, 0.0);
            for (const double fraction : {exact, summed, justBelow}) {
                const DateTime value = Compose(day, fraction);
                ASSERT_EQ(Format(value, "hh:mm", DefaultLocale()), expected) << day << ' ' << fraction;
                const Hms time = TimeOf(value);
                ASSERT_EQ(time.hour * 60 + time.minute, minuteOfDay) << day << ' ' << fraction;
                ASSERT_EQ(time.second, 0);
                ASSERT_EQ(time.millisecond, 0);
            }
        }
    }
}

TEST(DateTimeTest, ATimeJustShortOfMidnightStaysOnItsDayEverywhere) {
    const long newYearsEve = static_cast<long>(FromYmd(2001, 12, 31));
    const DateTime value = Compose(newYearsEve, 0.9999999999);  // 23:59:59.99999
    EXPECT_EQ(ToYmd(value), (Ymd{2001, 12, 31}));
    EXPECT_EQ(Weekday(value), 1);
    EXPECT_EQ(DateOnly(value), FromYmd(2001, 12, 31));
    const Hms time = TimeOf(value);
    EXPECT_EQ(time.hour * 10000000 + time.minute * 100000 + time.second * 1000 + time.millisecond, 235959999);
    EXPECT_EQ(ToYmd(AddMonths(value, 1)), (Ymd{2002, 1, 31}));
    EXPECT_EQ(TimeFraction(AddMonths(value, 1)), TimeFraction(value));
    EXPECT_EQ(DayNumber(value), newYearsEve);

    // Before day 0 as well: 29 Dec 1899 23:59:59.99999 is still 29 Dec.
    EXPECT_EQ(ToYmd(Compose(-1, 0.9999999999)), (Ymd{1899, 12, 29}));
    EXPECT_EQ(TimeOf(Compose(-1, 0.9999999999)).hour, 23);
}

TEST(DateTimeTest, ParseDayMonthYearAcceptsOnlyRealDates) {
    const std::pair<const char*, Ymd> dates[] = {
        {"29.02.2000", {2000, 2, 29}}, {"5.11.2000", {2000, 11, 5}}, {"05.11.2000", {2000, 11, 5}},
        {"01.01.0100", {100, 1, 1}}, {"31.12.9999", {9999, 12, 31}},
    };
    for (const auto& [text, expected] : dates) {
        const std::optional<DateTime> parsed = ParseDayMonthYear(text);
        ASSERT_TRUE(parsed) << text;
        EXPECT_EQ(ToYmd(*parsed), expected);
        EXPECT_EQ(TimeFraction(*parsed), 0.0);
    }
    for (const char* text : {
        "31.02.2027", "29.02.2100", "29.02.2001", "31.04.2001", "00.01.2001", "1.13.2001", "31.12.0099", "1.1.01",
        "1.1.20001", "001.1.2001", "1-1-2001", "1.1.2001 ", "1.1.2001x", "+1.1.2001", "a.b.cccc", ""})
        EXPECT_EQ(ParseDayMonthYear(text), std::nullopt) << text;
}

TEST(GermanLocaleTest, NamesMonthsAndWeekdays) {
    const GermanLocale locale;
    const char* const months[] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                                  "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    const char* const shortMonths[] = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun",
                                       "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(locale.MonthName(month, false), months[month - 1]);
        EXPECT_EQ(locale.MonthName(month, true), shortMonths[month - 1]);
        EXPECT_EQ(Format(FromYmd(2001, month, 1), "mmm", locale), shortMonths[month - 1]);
    }
    const char* const weekdays[] = {"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"};
    const char* const shortWeekdays[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    for (int weekday = 1; weekday <= 7; ++weekday) {
        EXPECT_EQ(locale.WeekdayName(weekday, false), weekdays[weekday - 1]);
        EXPECT_EQ(locale.WeekdayName(weekday, true), shortWeekdays[weekday - 1]);
    }
    EXPECT_EQ(ErrorOf([&] { locale.MonthName(0, false); }), "Ungültiger Monat: 0");
    EXPECT_EQ(ErrorOf([&] { locale.WeekdayName(8, true); }), "Ungültiger Wochentag: 8");
    EXPECT_EQ(DefaultLocale().MonthName(3, false), "März");
}

TEST(GermanLocaleTest, ParsesDatesWithBlanksAroundThem) {
    const GermanLocale locale;
    EXPECT_EQ(locale.ParseDate(" 5.11.2000 "), FromYmd(2000, 11, 5));
    EXPECT_EQ(locale.ParseDate("31.02.2027"), std::nullopt);
    EXPECT_EQ(locale.ParseDate("5. 11.2000"), std::nullopt);
}

TEST(ClockTest, TodayIsNowAtMidnight) {
    for (const auto& [now, today] : {std::pair{FromYmdHms(2001, 11, 5, 15, 30, 0), FromYmd(2001, 11, 5)},
                                     {-1.25, -1.0}, {FromYmd(2001, 11, 5), FromYmd(2001, 11, 5)}})
        EXPECT_EQ(memory::FixedClock(now).Today(), today) << now;
}

// How far SystemClock runs ahead of UTC under the given TZ, in hours, TZ
// restored afterwards. UTC counts from the Unix epoch, day 25569.
double HoursAheadOfUtc(const char* zone) {
    const char* old = std::getenv("TZ");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("TZ", zone, 1);
    tzset();
    const auto millis = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    const double ahead = (SystemClock().Now() - 25569.0 - static_cast<double>(millis) / 86'400'000.0) * 24.0;
    if (saved) setenv("TZ", saved->c_str(), 1);
    else unsetenv("TZ");
    tzset();
    return ahead;
}

TEST(ClockTest, SystemClockReadsLocalTime) {
    EXPECT_NEAR(HoursAheadOfUtc("UTC"), 0.0, 2.0 / 3600.0);
    // Berlin is one hour ahead of UTC in winter and two in summer.
    const double berlin = HoursAheadOfUtc("Europe/Berlin");
    EXPECT_TRUE(std::fabs(berlin - 1.0) < 0.001 || std::fabs(berlin - 2.0) < 0.001) << berlin;
}

}  // namespace
}  // namespace agendor::dt
