#pragma once
// Building the week and the month sheet into Grid, with the label in lblMonat.
#include "agendor/core/instance.h"

namespace agendor {

void BuildWeekSheet(Instance& instance, DateTime d);
void BuildMonthSheet(Instance& instance, DateTime d);
// The sheet of the current View for DateValue (month for 2, week otherwise).
void BuildSheet(Instance& instance);
// The label texts, e.g. "März 2001, 11.KW", "Feb / Mär 2001, 9.KW", "Oktober 2001".
std::string WeekLabel(const Locale& locale, DateTime monday);
std::string MonthLabel(const Locale& locale, DateTime d);
// Unloads every marker but the template and sets MarkerCount to 0.
void RemoveMarkers(Instance& instance);

} // namespace agendor
