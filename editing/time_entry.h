#pragma once
// Typing a time into txtClock, the masked edit box ("##:##", prompt "_")
// that floats over column 0 of one day-grid row, and CommitTime, which takes
// the typed time into the day grid: for a new row it only fills the cell,
// for a stored row it announces DateChange.
#include <optional>
#include <string_view>

#include "agendor/core/instance.h"

namespace agendor {

struct ClockTime {
    int hour;    // [0, 23]
    int minute;  // [0, 59]
};

// "hh:mm" with all four digits typed, 00:00 to 23:59; nullopt for anything
// else ("__:__", "1_:3_", "24:00", "12:60").
std::optional<ClockTime> ParseClockTime(std::string_view text);

void ClockGotFocus(Instance& instance);
void ClockKeyDown(Instance& instance, int keyCode, int shift);
void ClockValidate(Instance& instance, bool& cancel);
void ClockLostFocus(Instance& instance);
void CommitTime(Instance& instance);

// Raises IncorrectTime with the text as typed.
void RaiseIncorrectTime(Instance& instance, const std::string& text);

} // namespace agendor
