// Any 64-bit pattern as a date-time value (NaN, infinities, beyond 9999,
// before 100, subnormals): every calendar function and every format either
// gives a result inside the calendar's ranges or raises agendor::Error,
// and they agree with each other.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "agendor/core/date_time.h"
#include "agendor/core/locale.h"

namespace {

using namespace agendor;

void Expect(bool condition) {
    if (!condition) std::abort();
}

void CheckValue(DateTime value) {
    const Locale& locale = DefaultLocale();
    dt::Ymd ymd{};
    try {
        ymd = dt::ToYmd(value);
    } catch (const Error&) {
        // Every reading of the value refuses it alike.
        for (auto call : {+[](DateTime v) { (void)dt::Year(v); }, +[](DateTime v) { (void)dt::Weekday(v); },
                          +[](DateTime v) { (void)dt::TimeOf(v); }, +[](DateTime v) { (void)dt::DateOnly(v); }}) {
            try {
                call(value);
                std::abort();
            } catch (const Error&) {
            }
        }
        try {
            (void)dt::Format(value, "dd.mm.yyyy hh:nn", locale);
            std::abort();
        } catch (const Error&) {
        }
        return;
    }
    Expect(ymd.year >= dt::kMinYear && ymd.year <= dt::kMaxYear && ymd.month >= 1 && ymd.month <= 12 &&
           ymd.day >= 1 && ymd.day <= dt::DaysInMonth(ymd.year, ymd.month));
    Expect(dt::Year(value) == ymd.year && dt::Month(value) == ymd.month && dt::Day(value) == ymd.day);
    const int weekday = dt::Weekday(value);
    Expect(weekday >= 1 && weekday <= 7);
    const dt::Hms hms = dt::TimeOf(value);
    Expect(hms.hour >= 0 && hms.hour <= 23 && hms.minute >= 0 && hms.minute <= 59 && hms.second >= 0 &&
           hms.second <= 59 && hms.millisecond >= 0 && hms.millisecond <= 999);
    const DateTime day = dt::DateOnly(value);
    Expect(dt::ToYmd(day) == ymd);
    Expect(dt::FromYmd(ymd.year, ymd.month, ymd.day) == day);
    const std::string text = dt::Format(value, "dd.mm.yyyy", locale);
    Expect(dt::ParseDayMonthYear(text) == day);
    (void)dt::Format(value, "dddd, d. mmmm yy hh:nn:ss h n s ddd mmm", locale);
    const double fraction = dt::TimeFraction(value);
    Expect(fraction >= 0 && fraction < 1);
    for (int months : {-1, 1, 12, -12 * 9000, 12 * 9000}) {
        try {
            const DateTime moved = dt::AddMonths(value, months);
            Expect(dt::Year(moved) >= dt::kMinYear && dt::Year(moved) <= dt::kMaxYear);
        } catch (const Error&) {
        }
    }
    try {
        (void)dt::AddDays(value, 1);
    } catch (const Error&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Each whole eight bytes are one value; a tail shorter than that is
    // padded with zeros.
    for (std::size_t offset = 0; offset < size; offset += 8) {
        unsigned char bytes[8] = {};
        std::memcpy(bytes, data + offset, size - offset < 8 ? size - offset : 8);
        DateTime value;
        std::memcpy(&value, bytes, sizeof value);
        CheckValue(value);
    }
    return 0;
}
