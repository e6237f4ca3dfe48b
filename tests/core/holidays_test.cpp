#include "agendor/sheet/holidays.h"

#include <gtest/gtest.h>

#include <string>

#include "agendor/core/date_time.h"

namespace agendor {
namespace {

// The anonymous Gregorian computus as Meeus gives it (Jones 1876, Butcher
// 1876), written here apart from the control's two rules so that it can
// check both. Returns month * 100 + day.
int MeeusEaster(int year) {
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return month * 100 + day;
}

int MonthDay(DateTime value) {
    const dt::Ymd date = dt::ToYmd(value);
    return date.month * 100 + date.day;
}

TEST(EasterSundayTest, AgreesWithMeeusInEveryYear) {
    // The reference itself, at the earliest and latest Easters and the ends
    // of the table (the named days below anchor further years).
    const std::pair<int, int> known[] = {{1818, 322}, {1943, 425}, {2285, 322}, {1582, 418}, {2399, 328}};
    for (const auto& [year, monthDay] : known) EXPECT_EQ(MeeusEaster(year), monthDay) << year;
    for (int year = dt::kMinYear; year <= dt::kMaxYear; ++year) {
        const DateTime easter = EasterSunday(year);
        ASSERT_EQ(dt::Year(easter), year);
        ASSERT_EQ(MonthDay(easter), MeeusEaster(year)) << year;
        ASSERT_EQ(dt::Weekday(easter), 7) << year;
        ASSERT_EQ(dt::TimeFraction(easter), 0.0) << year;
        // The general rule gives the very same date as the table.
        ASSERT_EQ(GregorianEasterSunday(year), easter) << year;
    }
}

// The named days of 2001 (Easter on 15 April, 24 December a Monday), two
// days of it without a name, the years where two rules meet (2006: 24
// December a Sunday; 2008: Easter on 23 March, Ascension Day on 1 May), and
// years at the ends of the range and outside the Easter table.
TEST(HolidayNameTest, NamesTheDay) {
    const struct {
        int year, month, day;
        const char* name;
    } cases[] = {
        {2001, 1, 1, "Neujahrstag"}, {2001, 1, 6, "Hl. drei Könige"}, {2001, 2, 28, "Aschermittwoch"},
        {2001, 4, 13, "Karfreitag"}, {2001, 4, 15, "Ostersonntag"}, {2001, 4, 16, "Ostermontag"},
        {2001, 5, 1, "Tag der Arbeit"}, {2001, 5, 24, "Christi Himmelfahrt"}, {2001, 6, 3, "Pfingstsonntag"},
        {2001, 6, 4, "Pfingstmontag"}, {2001, 6, 14, "Fronleichnam"}, {2001, 8, 15, "Maria Himmelfahrt"},
        {2001, 10, 3, "Tag der dt. Einheit"}, {2001, 11, 1, "Allerheiligen"}, {2001, 11, 18, "Volkstrauertag"},
        {2001, 11, 21, "Buss und Bettag"}, {2001, 11, 25, "Totensonntag"}, {2001, 12, 2, "1. Advent"},
        {2001, 12, 9, "2. Advent"}, {2001, 12, 16, "3. Advent"}, {2001, 12, 23, "4. Advent"},
        {2001, 12, 24, "Hl. Abend"}, {2001, 12, 25, "1. Weihnachtstag"}, {2001, 12, 26, "2. Weihnachtstag"},
        {2001, 12, 31, "Silvester"}, {2001, 1, 2, ""}, {2001, 3, 1, ""},
        {2006, 12, 24, "4. Advent"}, {2006, 12, 3, "1. Advent"}, {2006, 11, 22, "Buss und Bettag"},
        {2006, 12, 17, "3. Advent"}, {2008, 3, 23, "Ostersonntag"}, {2008, 5, 1, "Tag der Arbeit"},
        {2008, 5, 11, "Pfingstsonntag"}, {2000, 3, 8, "Aschermittwoch"}, {100, 1, 1, "Neujahrstag"},
        {9999, 12, 31, "Silvester"}, {2400, 4, 16, "Ostersonntag"}, {1583, 4, 10, "Ostersonntag"},
        {1500, 12, 23, "4. Advent"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HolidayName(dt::FromYmd(c.year, c.month, c.day)), c.name) << c.day << '.' << c.month << '.' << c.year;
    // The time of day is ignored; before 30 Dec 1899 it counts forward too
    // (24 Dec 1899 was a Sunday).
    for (const auto& [when, name] : {std::pair{dt::FromYmdHms(2001, 10, 3, 15, 30, 0), "Tag der dt. Einheit"},
                                     {dt::FromYmdHms(2001, 4, 15, 23, 59, 0), "Ostersonntag"},
                                     {dt::FromYmdHms(1899, 12, 24, 18, 0, 0), "4. Advent"},
                                     {dt::FromYmdHms(1899, 12, 31, 6, 0, 0), "Silvester"}})
        EXPECT_EQ(HolidayName(when), name) << when;
}

// Counts the named days of a year, so that a rule that also fires on a
// second day shows.
int NamedDaysIn(int year) {
    int count = 0;
    for (DateTime day = dt::FromYmd(year, 1, 1); day <= dt::FromYmd(year, 12, 31); day = dt::AddDays(day, 1))
        if (!HolidayName(day).empty()) ++count;
    return count;
}

// Before the Gregorian calendar no day hangs on Easter (8 of them).
TEST(HolidayNameTest, NamesEachDayOfTheTableOnce) {
    EXPECT_EQ(NamedDaysIn(2001), 25);
    EXPECT_EQ(NamedDaysIn(2006), 24);  // 24 December is "4. Advent"
    EXPECT_EQ(NamedDaysIn(2008), 24);  // 1 May is "Tag der Arbeit"
    EXPECT_EQ(NamedDaysIn(1500), 25 - 8);
    EXPECT_EQ(HolidayName(EasterSunday(1500)), "");
    EXPECT_EQ(HolidayName(dt::AddDays(EasterSunday(1582), 1)), "");
    EXPECT_EQ(HolidayName(dt::FromYmd(1582, 1, 6)), "Hl. drei Könige");
    EXPECT_EQ(NamedDaysIn(1583), 25);
}

}  // namespace
}  // namespace agendor
