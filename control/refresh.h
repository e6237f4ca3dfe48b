#pragma once
// The rebuild the subsystems share: inside the library only.
#include "agendor/core/instance.h"

namespace agendor {

// True when loading may go ahead; otherwise shows "Set Property <name> first!".
bool CheckRequiredProperties(Instance& instance);
// Rebuild driver: permissions, required-property check, sheet, appointments, persons.
void RefreshControl(Instance& instance);

} // namespace agendor
