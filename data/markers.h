#pragma once
// Appointment lines in the sheet cells and the markers of full cells.
#include <string>

#include "agendor/core/instance.h"

namespace agendor {

void PlaceDate(Instance& instance, DateTime when, const std::string& person);
void MarkerClick(Instance& instance, int index);

} // namespace agendor
