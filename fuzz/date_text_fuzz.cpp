// Date texts in day.month.year order, as the calendar and the locale read
// them (the locale forgives blanks around the text): a text is a date from
// 1 Jan 100 to 31 Dec 9999 or nothing, and a date read is the one its
// "dd.mm.yyyy" text gives again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "agendor/core/date_time.h"
#include "agendor/core/locale.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace agendor;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<DateTime> strict = dt::ParseDayMonthYear(text);
    const std::optional<DateTime> parsed = DefaultLocale().ParseDate(text);
    if (strict && parsed != strict) std::abort();
    if (!parsed) return 0;
    // A whole day inside the range.
    if (dt::DateOnly(*parsed) != *parsed) std::abort();
    const int year = dt::Year(*parsed);
    if (year < dt::kMinYear || year > dt::kMaxYear) std::abort();
    if (dt::ParseDayMonthYear(dt::Format(*parsed, "dd.mm.yyyy", DefaultLocale())) != parsed) std::abort();
    if (dt::ParseDayMonthYear(dt::Format(*parsed, "d.m.yyyy", DefaultLocale())) != parsed) std::abort();
    return 0;
}
