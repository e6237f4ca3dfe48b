#pragma once
// Choosing or typing the person of a new appointment in cboPerson, the
// combo box over column 1 of the pending row.
#include "agendor/core/instance.h"

namespace agendor {

void PersonClick(Instance& instance);
void PersonChange(Instance& instance);
void PersonKeyDown(Instance& instance, int keyCode, int shift);
void PersonValidate(Instance& instance, bool& cancel);

} // namespace agendor
