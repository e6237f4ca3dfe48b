#include "demo/change_payload.h"

#include <cstdio>

#include "agendor/core/date_time.h"

namespace agendor::demo {

std::optional<DateTime> ParseChangedDay(const char* payload) {
    int year = 0, month = 0, day = 0;
    if (payload == nullptr || std::sscanf(payload, "%4d-%2d-%2d", &year, &month, &day) != 3) return std::nullopt;
    if (year < dt::kMinYear || year > dt::kMaxYear || !dt::IsValidYmd(year, month, day)) return std::nullopt;
    return dt::FromYmd(year, month, day);
}

} // namespace agendor::demo
