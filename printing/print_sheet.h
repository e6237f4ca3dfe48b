#pragma once
#include "agendor/control/instance.h"

namespace agendor {

// Prints the week (view 1) or month (view 2) sheet of d on one landscape page.
void PrintPage(Instance& instance, DateTime d, int view);

} // namespace agendor
