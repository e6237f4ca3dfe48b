#pragma once
// Locale and clock: the user's month and weekday names, reading date texts,
// and today's date. The control never reads the system clock directly, so
// tests set "today" through a clock of their own.
#include <optional>
#include <string>
#include <string_view>

#include "agendor/platform/types.h"

namespace agendor {

class Locale {
public:
    virtual ~Locale() = default;
    // month in [1, 12]; abbreviated "Jan" ... "Dez", full "Januar" ... "Dezember".
    virtual std::string MonthName(int month, bool abbreviated) const = 0;
    // weekday Monday = 1 ... Sunday = 7; abbreviated "Mo" ... "So".
    virtual std::string WeekdayName(int weekday, bool abbreviated) const = 0;
    // A date text in day.month.year order; nullopt when it is no valid date.
    virtual std::optional<DateTime> ParseDate(std::string_view text) const = 0;
};

// The German names the control shows by default.
class AGENDOR_CORE_EXPORT GermanLocale final : public Locale {
public:
    std::string MonthName(int month, bool abbreviated) const override;
    std::string WeekdayName(int weekday, bool abbreviated) const override;
    std::optional<DateTime> ParseDate(std::string_view text) const override;
};

AGENDOR_CORE_EXPORT const Locale& DefaultLocale();

class AGENDOR_CORE_EXPORT Clock {
public:
    virtual ~Clock() = default;
    // The local date and time now.
    virtual DateTime Now() const = 0;
    // Today's date at midnight.
    DateTime Today() const;
};

// The system's local time.
class AGENDOR_CORE_EXPORT SystemClock final : public Clock {
public:
    DateTime Now() const override;
};

} // namespace agendor
