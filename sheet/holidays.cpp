#include "agendor/sheet/holidays.h"

#include <array>

#include "agendor/core/date_time.h"

namespace agendor {
namespace {

// Constants of the Easter table per range of years: calendar gap to the
// Julian calendar in days, the full-moon constant, and which corrections of
// the epact apply.
struct EasterConstants {
    int firstYear;
    int lastYear;
    int calendarGap;   // A_Y
    int fullMoon;      // B_Y
    int correction;    // C_Y, [0, 2]
};

constexpr std::array<EasterConstants, 7> kEasterTable{{
    {1582, 1699, 10, 202, 1},
    {1700, 1799, 11, 203, 0},
    {1800, 1899, 12, 203, 0},
    {1900, 2099, 13, 204, 2},
    {2100, 2199, 14, 204, 2},
    {2200, 2299, 15, 205, 1},
    {2300, 2399, 16, 206, 0},
}};

// The years the table is known to give the Gregorian Easter for; 1582 is in
// its first row, but the calendar began only in October of that year.
constexpr int kTableFirstYear = 1583;
constexpr int kTableLastYear = 2399;
constexpr int kFirstGregorianYear = 1583;

// m is the day of March of Easter Sunday; 32 and beyond run into April.
DateTime EasterFromMarchDay(int year, int m) { return dt::FromYmd(year, 3, m); }

DateTime TableEasterSunday(int year) {
    const EasterConstants* row = nullptr;
    for (const EasterConstants& candidate : kEasterTable)
        if (year >= candidate.firstYear && year <= candidate.lastYear) row = &candidate;
    int e = (row->fullMoon - 11 * (year % 19)) % 30;  // days from 21 March to the paschal full moon
    if (row->correction == 1 && e == 29) e = 28;
    if (row->correction == 2 && e == 28) e = 27;
    else if (row->correction == 2 && e == 29) e = 28;
    const int f = e + year + year / 4 - row->calendarGap;  // f mod 7: weekday of the full moon, Sunday = 0
    return EasterFromMarchDay(year, e + 28 - f % 7);
}

enum class Anchor { Fixed, Easter, Advent };

// A named day: a fixed month and day, or a distance in days from Easter
// Sunday or from the fourth Sunday of Advent.
struct NamedDay {
    const char* name;
    Anchor anchor;
    int month;   // [1, 12] for Anchor::Fixed, unused otherwise
    int offset;  // the day of the month for Anchor::Fixed, else days from the anchor
};

// In the order in which they are tested; the first match wins, which is
// what settles the two days that can fall together (1 May as Ascension Day,
// 24 December as the fourth Sunday of Advent).
constexpr std::array<NamedDay, 25> kNamedDays{{
    {"Neujahrstag", Anchor::Fixed, 1, 1},
    {"Hl. drei Könige", Anchor::Fixed, 1, 6},
    {"Aschermittwoch", Anchor::Easter, 0, -46},
    {"Karfreitag", Anchor::Easter, 0, -2},
    {"Ostersonntag", Anchor::Easter, 0, 0},
    {"Ostermontag", Anchor::Easter, 0, 1},
    {"Tag der Arbeit", Anchor::Fixed, 5, 1},
    {"Christi Himmelfahrt", Anchor::Easter, 0, 39},
    {"Pfingstsonntag", Anchor::Easter, 0, 49},
    {"Pfingstmontag", Anchor::Easter, 0, 50},
    {"Fronleichnam", Anchor::Easter, 0, 60},
    {"Maria Himmelfahrt", Anchor::Fixed, 8, 15},
    {"Tag der dt. Einheit", Anchor::Fixed, 10, 3},
    {"Allerheiligen", Anchor::Fixed, 11, 1},
    {"Volkstrauertag", Anchor::Advent, 0, -35},
    {"Buss und Bettag", Anchor::Advent, 0, -32},
    {"Totensonntag", Anchor::Advent, 0, -28},
    {"1. Advent", Anchor::Advent, 0, -21},
    {"2. Advent", Anchor::Advent, 0, -14},
    {"3. Advent", Anchor::Advent, 0, -7},
    {"4. Advent", Anchor::Advent, 0, 0},
    {"Hl. Abend", Anchor::Fixed, 12, 24},
    {"1. Weihnachtstag", Anchor::Fixed, 12, 25},
    {"2. Weihnachtstag", Anchor::Fixed, 12, 26},
    {"Silvester", Anchor::Fixed, 12, 31},
}};

// The fourth Sunday of Advent: 24 December, or the last Sunday before it.
DateTime FourthAdvent(int year) {
    const DateTime christmasEve = dt::FromYmd(year, 12, 24);
    const int weekday = dt::Weekday(christmasEve);
    return weekday == 7 ? christmasEve : dt::AddDays(christmasEve, -weekday);
}

}  // namespace

DateTime GregorianEasterSunday(int year) {
    const int century = year / 100;
    const int moonShift = 15 + (3 * century + 3) / 4 - (8 * century + 13) / 25;
    const int sunShift = 2 - (3 * century + 3) / 4;
    const int cycle = year % 19;
    const int moonDays = (19 * cycle + moonShift) % 30;
    const int moonCorrection = (moonDays + cycle / 11) / 29;
    const int paschalFullMoon = 21 + moonDays - moonCorrection;           // day of March
    const int firstSunday = 7 - (year + year / 4 + sunShift) % 7;         // day of March
    const int daysToSunday = 7 - (paschalFullMoon - firstSunday) % 7;     // [1, 7]
    return EasterFromMarchDay(year, paschalFullMoon + daysToSunday);
}

DateTime EasterSunday(int year) {
    if (year >= kTableFirstYear && year <= kTableLastYear) return TableEasterSunday(year);
    return GregorianEasterSunday(year);
}

std::string HolidayName(DateTime d) {
    const DateTime day = dt::DateOnly(d);
    const int year = dt::Year(day);
    const bool easterKnown = year >= kFirstGregorianYear;
    const DateTime easter = EasterSunday(year);
    const DateTime fourthAdvent = FourthAdvent(year);
    for (const NamedDay& named : kNamedDays) {
        DateTime date = 0;
        switch (named.anchor) {
        case Anchor::Fixed: date = dt::FromYmd(year, named.month, named.offset); break;
        case Anchor::Easter:
            if (!easterKnown) continue;
            date = dt::AddDays(easter, named.offset);
            break;
        case Anchor::Advent: date = dt::AddDays(fourthAdvent, named.offset); break;
        }
        if (date == day) return named.name;
    }
    return {};
}

}  // namespace agendor
