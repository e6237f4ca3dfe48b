// The payload of a live-update notification, which another desk's process
// sends through the server: a day inside the calendar's range or nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "agendor/core/date_time.h"
#include "demo/change_payload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace agendor;
    // libpq hands the payload over as a C string.
    const std::string payload(reinterpret_cast<const char*>(data), size);
    const std::optional<DateTime> day = demo::ParseChangedDay(payload.c_str());
    if (!day) return 0;
    if (dt::DateOnly(*day) != *day) std::abort();
    if (dt::Year(*day) < dt::kMinYear || dt::Year(*day) > dt::kMaxYear) std::abort();
    return 0;
}
