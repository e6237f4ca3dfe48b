#pragma once
// The named days of the German calendar shown behind the day number on the
// sheets and the printed page: public holidays, the Advent Sundays, the days
// of remembrance in November, Christmas Eve and New Year's Eve.
#include <string>

#include "agendor/platform/types.h"

namespace agendor {

// The German name of the named day on d's date, or the empty text. The time
// of day is ignored. Before 1583 the days that hang on Easter are not named:
// the Gregorian Easter is meaningless before the calendar existed.
std::string HolidayName(DateTime d);

// Easter Sunday of year (Gregorian calendar, [100, 9999]), at midnight.
// 1583..2399 through the table of full-moon and calendar constants; other
// years through GregorianEasterSunday, which gives the same dates there.
DateTime EasterSunday(int year);

// Easter Sunday of any year in [100, 9999] by the closed formula of the
// Gregorian computus (Gauss's rule with Lichtenberg's corrections).
DateTime GregorianEasterSunday(int year);

} // namespace agendor
