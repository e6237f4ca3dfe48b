// Fuzz target for the iCalendar import: any bytes go through the reader,
// which must either give appointments in range and in start order, or refuse
// the input with an agendor::Error; nothing else may come out of it.
// The ical tests also link it and run it over its seed corpus.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "agendor/core/date_time.h"
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
