#include "agendor/core/locale.h"

#include <chrono>
#include <ctime>

#include "agendor/core/date_time.h"

namespace agendor {
namespace {

constexpr const char* kMonths[12] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                                     "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
constexpr const char* kMonthsAbbreviated[12] = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun",
                                                "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
constexpr const char* kWeekdays[7] = {"Montag",   "Dienstag", "Mittwoch", "Donnerstag",
                                      "Freitag",  "Samstag",  "Sonntag"};
constexpr const char* kWeekdaysAbbreviated[7] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string GermanLocale::MonthName(int month, bool abbreviated) const {
    if (month < 1 || month > 12) throw Error("Ungültiger Monat: " + std::to_string(month));
    return abbreviated ? kMonthsAbbreviated[month - 1] : kMonths[month - 1];
}

std::string GermanLocale::WeekdayName(int weekday, bool abbreviated) const {
    if (weekday < 1 || weekday > 7) throw Error("Ungültiger Wochentag: " + std::to_string(weekday));
    return abbreviated ? kWeekdaysAbbreviated[weekday - 1] : kWeekdays[weekday - 1];
}

std::optional<DateTime> GermanLocale::ParseDate(std::string_view text) const {
    // Blanks around a typed date are forgiven; inside it they are not.
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return dt::ParseDayMonthYear(text);
}

const Locale& DefaultLocale() {
    static const GermanLocale locale;
    return locale;
}

DateTime Clock::Today() const { return dt::DateOnly(Now()); }

DateTime SystemClock::Now() const {
    const auto now = std::chrono::system_clock::now();
    const auto whole = std::chrono::floor<std::chrono::seconds>(now);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(whole);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now - whole).count();  // [0, 999]
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) throw Error("Die lokale Uhrzeit ist nicht lesbar");
    // tm_sec may be 60 in a leap second; FromYmdHms carries it into the next minute.
    return dt::FromYmdHms(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec + static_cast<double>(millis) / 1000.0);
}

}  // namespace agendor
