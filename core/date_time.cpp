#include "agendor/core/date_time.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>

#include "agendor/core/locale.h"

namespace agendor::dt {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr sys_days kEpoch = sys_days{std::chrono::year{1899} / 12 / 30};
constexpr long kFirstDay =
    static_cast<long>((sys_days{std::chrono::year{kMinYear} / 1 / 1} - kEpoch).count());  // -657434
constexpr long kLastDay =
    static_cast<long>((sys_days{std::chrono::year{kMaxYear} / 12 / 31} - kEpoch).count());  // 2958465

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

const char* const kRangeMessage = "Datum außerhalb des gültigen Bereichs (1.1.100 bis 31.12.9999)";

[[noreturn]] void RaiseOutOfRange() { throw Error(kRangeMessage); }

void RequireFinite(DateTime value) {
    if (!std::isfinite(value)) throw Error("Ungültiger Datumswert: keine endliche Zahl");
}

long CheckedDay(long long day) {
    if (day < kFirstDay || day > kLastDay) RaiseOutOfRange();
    return static_cast<long>(day);
}

// A value as the calendar reads it: the time rounded to the millisecond.
// A time that would round to 24:00 reads 23:59:59.999 of its own day: a
// query bound "< midnight" takes such a value into the day before midnight,
// and the sheet, the day grid and every text must show it on that same day.
struct Split {
    long day;              // serial day, [kFirstDay, kLastDay]
    std::int64_t millis;   // time of day, [0, 86 399 999]
};

Split SplitValue(DateTime value) {
    RequireFinite(value);
    // Checked on the raw value first so the conversion to an integer below
    // cannot overflow.
    const double whole = std::trunc(value);
    if (whole < kFirstDay - 1.0 || whole > kLastDay + 1.0) RaiseOutOfRange();
    const long long day = static_cast<long long>(whole);
    const std::int64_t millis =
        std::min<std::int64_t>(std::llround(std::fabs(value - whole) * kMillisecondsPerDay), kMillisecondsPerDay - 1);
    return Split{CheckedDay(day), millis};
}

year_month_day CalendarDate(long day) { return year_month_day{kEpoch + days{day}}; }

long SerialOf(const year_month_day& date) {
    return static_cast<long>((sys_days{date} - kEpoch).count());
}

std::string Padded(long long number, int width) {
    std::string digits = std::to_string(number < 0 ? -number : number);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), '0');
    return number < 0 ? "-" + digits : digits;
}

// The number of times c repeats from position i, at most limit.
std::size_t RunLength(std::string_view text, std::size_t i, char c, std::size_t limit) {
    std::size_t n = 0;
    while (i + n < text.size() && text[i + n] == c && n < limit) ++n;
    return n;
}

}  // namespace

long DayNumber(DateTime value) {
    RequireFinite(value);
    const double whole = std::trunc(value);
    if (whole < kFirstDay || whole > kLastDay) RaiseOutOfRange();
    return static_cast<long>(whole);
}

double TimeFraction(DateTime value) {
    RequireFinite(value);
    return std::fabs(value - std::trunc(value));
}

DateTime Compose(long dayNumber, double timeFraction) {
    const double day = static_cast<double>(dayNumber);
    return dayNumber >= 0 ? day + timeFraction : day - timeFraction;
}

DateTime DateOnly(DateTime value) { return static_cast<double>(SplitValue(value).day); }

DateTime FromYmd(int year, int month, int day) {
    // Month numbers outside 1..12 move whole years; the day then counts from
    // the first of that month, so day 0 is the last day of the month before.
    const long long months = static_cast<long long>(year) * 12 + (static_cast<long long>(month) - 1);
    long long normalisedYear = months / 12;
    long long monthIndex = months % 12;  // [0, 11] after the fix below
    if (monthIndex < 0) {
        monthIndex += 12;
        --normalisedYear;
    }
    // std::chrono::year holds only -32767..32767; far-off years are brought
    // near by whole 400-year cycles, which repeat the calendar exactly.
    constexpr long long kCycleYears = 400;
    constexpr long long kCycleDays = 146'097;
    const long long cycles = (normalisedYear - 2000) / kCycleYears;
    normalisedYear -= cycles * kCycleYears;
    const year_month_day first{std::chrono::year{static_cast<int>(normalisedYear)},
                               std::chrono::month{static_cast<unsigned>(monthIndex + 1)},
                               std::chrono::day{1}};
    return static_cast<double>(
        CheckedDay(static_cast<long long>(SerialOf(first)) + cycles * kCycleDays + day - 1));
}

DateTime FromYmdHms(int year, int month, int day, int hour, int minute, double second) {
    if (!std::isfinite(second)) throw Error("Ungültige Uhrzeit: keine endliche Zahl");
    // Hours, minutes and seconds outside their ranges run into the
    // neighbouring days, as day numbers do into the neighbouring months.
    const double seconds = static_cast<double>(hour) * 3600.0 + static_cast<double>(minute) * 60.0 + second;
    const double extraDays = std::floor(seconds / 86400.0);
    if (std::fabs(extraDays) > 4'000'000.0) RaiseOutOfRange();
    const double fraction = (seconds - extraDays * 86400.0) / 86400.0;
    const long start = static_cast<long>(FromYmd(year, month, day));
    return Compose(CheckedDay(static_cast<long long>(start) + static_cast<long long>(extraDays)), fraction);
}

Ymd ToYmd(DateTime value) {
    const year_month_day date = CalendarDate(SplitValue(value).day);
    return Ymd{static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
               static_cast<int>(static_cast<unsigned>(date.day()))};
}

int Year(DateTime value) { return ToYmd(value).year; }
int Month(DateTime value) { return ToYmd(value).month; }
int Day(DateTime value) { return ToYmd(value).day; }

int Weekday(DateTime value) {
    return static_cast<int>(std::chrono::weekday{kEpoch + days{SplitValue(value).day}}.iso_encoding());
}

Hms TimeOf(DateTime value) {
    const std::int64_t millis = SplitValue(value).millis;
    return Hms{static_cast<int>(millis / 3'600'000), static_cast<int>(millis / 60'000 % 60),
               static_cast<int>(millis / 1000 % 60), static_cast<int>(millis % 1000)};
}

DateTime AddDays(DateTime value, long days) {
    // Through day and fraction, not value + days: before 30 Dec 1899 the
    // fraction counts forward while the day counts backward.
    const long day = DayNumber(value);
    // Compared before adding, so that no count of days can overflow.
    if (days < kFirstDay - day || days > kLastDay - day) RaiseOutOfRange();
    return Compose(day + days, TimeFraction(value));
}

DateTime AddMonths(DateTime value, int months) {
    const Split split = SplitValue(value);
    const year_month_day date = CalendarDate(split.day);
    const long long target = static_cast<long long>(static_cast<int>(date.year())) * 12 +
                             (static_cast<long long>(static_cast<unsigned>(date.month())) - 1) + months;
    const long long targetYear = target >= 0 ? target / 12 : (target - 11) / 12;
    const int targetMonth = static_cast<int>(target - targetYear * 12) + 1;
    if (targetYear < kMinYear || targetYear > kMaxYear) RaiseOutOfRange();
    const int lastDay = DaysInMonth(static_cast<int>(targetYear), targetMonth);
    const int dayOfMonth = std::min(static_cast<int>(static_cast<unsigned>(date.day())), lastDay);
    const long day = static_cast<long>(FromYmd(static_cast<int>(targetYear), targetMonth, dayOfMonth));
    return Compose(day, TimeFraction(value));
}

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) throw Error("Ungültiger Monat: " + std::to_string(month));
    const std::chrono::year_month_day_last last{std::chrono::year{year},
                                                std::chrono::month_day_last{std::chrono::month{
                                                    static_cast<unsigned>(month)}}};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

bool IsValidYmd(int year, int month, int day) {
    return year >= kMinYear && year <= kMaxYear && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

std::string Format(DateTime value, std::string_view pattern, const Locale& locale) {
    const Split split = SplitValue(value);
    const year_month_day date = CalendarDate(split.day);
    const int year = static_cast<int>(date.year());
    const int month = static_cast<int>(static_cast<unsigned>(date.month()));
    const int dayOfMonth = static_cast<int>(static_cast<unsigned>(date.day()));
    const int weekday = static_cast<int>(std::chrono::weekday{sys_days{date}}.iso_encoding());
    const long long hour = split.millis / 3'600'000;
    const long long minute = split.millis / 60'000 % 60;
    const long long second = split.millis / 1000 % 60;

    std::string out;
    // Tells "m" and "mm" as minutes: right after an hour token, or after an
    // hour token and the ':' that follows it.
    enum class Last { Other, Hour, HourColon } last = Last::Other;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        Last next = Last::Other;
        std::size_t used = 1;
        switch (c) {
        case 'd':
            used = RunLength(pattern, i, 'd', 4);
            if (used == 1) out += std::to_string(dayOfMonth);
            else if (used == 2) out += Padded(dayOfMonth, 2);
            else out += locale.WeekdayName(weekday, used == 3);
            break;
        case 'm':
            used = RunLength(pattern, i, 'm', 4);
            if (used <= 2 && last != Last::Other) out += Padded(minute, used);
            else if (used <= 2) out += Padded(month, used);
            else out += locale.MonthName(month, used == 3);
            break;
        case 'y':
            used = RunLength(pattern, i, 'y', 4);
            if (used == 4) out += Padded(year, 4);
            else if (used >= 2) {
                used = 2;
                out += Padded(year % 100, 2);
            } else {
                out += c;  // a lone "y" has no meaning here
            }
            break;
        case 'h':
            used = RunLength(pattern, i, 'h', 2);
            out += Padded(hour, used);
            next = Last::Hour;
            break;
        case 'n':
            used = RunLength(pattern, i, 'n', 2);
            out += Padded(minute, used);
            break;
        case 's':
            used = RunLength(pattern, i, 's', 2);
            out += Padded(second, used);
            break;
        default:
            out += c;
            if (c == ':' && last == Last::Hour) next = Last::HourColon;
            break;
        }
        last = next;
        i += used;
    }
    return out;
}

std::optional<DateTime> ParseDayMonthYear(std::string_view text) {
    // Reads one or two digits (day, month) or exactly four (year).
    std::size_t i = 0;
    auto number = [&](std::size_t minDigits, std::size_t maxDigits) -> std::optional<int> {
        std::size_t n = 0;
        int result = 0;
        while (i + n < text.size() && n < maxDigits && text[i + n] >= '0' && text[i + n] <= '9') {
            result = result * 10 + (text[i + n] - '0');
            ++n;
        }
        if (n < minDigits) return std::nullopt;
        i += n;
        return result;
    };
    auto point = [&]() {
        if (i >= text.size() || text[i] != '.') return false;
        ++i;
        return true;
    };
    const std::optional<int> day = number(1, 2);
    if (!day || !point()) return std::nullopt;
    const std::optional<int> month = number(1, 2);
    if (!month || !point()) return std::nullopt;
    const std::optional<int> year = number(4, 4);
    if (!year || i != text.size()) return std::nullopt;
    if (!IsValidYmd(*year, *month, *day)) return std::nullopt;
    return FromYmd(*year, *month, *day);
}

}  // namespace agendor::dt
