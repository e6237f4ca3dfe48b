// Fuzz target for the iCalendar import: any bytes go through the reader,
// which must either give appointments in range and in start order, or refuse
// the input with an agendor::Error; nothing else may come out of it.
// Built with clang -fsanitize=fuzzer as a libFuzzer target; the tests link
// it too and run it over the seeds in seeds/. By hand, from a build tree:
//   clang++-14 -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined
//     -Ibuild/include -I. -Ibuild/generated/include
//     platform/ical/fuzz/ics_import_fuzz.cpp platform/ical/ics_calendar.cpp
//     build/libagendor_core.a -lical -o ics_import_fuzz
//   ./ics_import_fuzz -max_total_time=60 -max_len=4096 corpus/ platform/ical/fuzz/seeds/
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "agendor/platform/date_time.h"
#include "agendor/platform/ical/ics_calendar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    agendor::ical::ImportSettings settings;
    settings.maxEvents = 200;
    try {
        const agendor::ical::ReadResult read = agendor::ical::ReadCalendarText(
            std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.ics", settings);
        agendor::DateTime previous = -1e300;
        for (const auto& a : read.appointments) {
            const int year = agendor::dt::Year(a.when);
            if (year < agendor::dt::kMinYear || year > agendor::dt::kMaxYear || a.when < previous) std::abort();
            previous = a.when;
        }
        (void)agendor::ical::ImportSummary(read, {});
    } catch (const agendor::Error&) {
    }
    return 0;
}
