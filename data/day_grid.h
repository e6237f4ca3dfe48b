#pragma once
// The day grid: one day's appointments next to the day's column.
#include <optional>
#include <string>
#include <string_view>

#include "agendor/core/instance.h"

namespace agendor {

std::string OneDayQuery(const State& state, const std::string& dateLiteral);
void ShowDay(Instance& instance, std::optional<int> markerIndex = std::nullopt);
void HideDayGrid(Instance& instance);
// Puts the day grid, its toolbar and title next to the sheet's current
// column (after a resize changed the columns).
void PlaceDayGroup(Instance& instance);

// The day grid for a given day, normally State::ShownDay after a reload that
// may have moved the sheet's current cell (to today's cell, say): selects the
// day's cell when the sheet shows it, then fills, titles and shows the day
// grid for that day whatever cell is current.
void ShowDayOf(Instance& instance, DateTime day);

// The hidden date-time text of the day grid's column 2, "dd.mm.yyyy hh:nn:ss"
// (with ".fff" when the time has milliseconds), and its reading back. The
// reader also takes a bare date "d.m.yyyy" (what an added row holds) and
// "hh:nn" without seconds. A value that text cannot hold to the bit is
// written as its shortest decimal number, which the reader takes too;
// nullopt for anything else.
std::string DayGridDateTimeText(DateTime value);
std::optional<DateTime> ParseDayGridDateTime(std::string_view text);

} // namespace agendor
