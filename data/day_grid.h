#pragma once
// The day grid: one day's appointments next to the day's column.
#include <optional>
#include <string>

#include "control/instance.h"

namespace agendor {

std::string OneDayQuery(const State& state, const std::string& dateLiteral);
void ShowDay(Instance& instance, std::optional<int> markerIndex = std::nullopt);
void HideDayGrid(Instance& instance);

} // namespace agendor
