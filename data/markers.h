#pragma once
// Appointment lines in the sheet cells and the markers of full cells.
#include <string>

#include "agendor/control/instance.h"

namespace agendor {

void PlaceDate(Instance& instance, DateTime when, const std::string& person);
void MarkerClick(Instance& instance, int index);

// The 14 x 13 pixel arrow of the markers, row by row from the top: ' ' white,
// 'B' black, 'T' teal (RGB 0, 128, 128). Backends draw the picture from it.
extern AGENDOR_CORE_EXPORT const char* const kMarkerArrow[13];

} // namespace agendor
