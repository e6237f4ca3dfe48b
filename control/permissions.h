#pragma once
// The four Allow flags on Toolbar2 and the context menu, and the sheet
// commands (1 week, 2 month, 3 back, 4 forward, 5 print).
#include <cstdint>

#include "agendor/control/instance.h"

namespace agendor {

void ApplyPermissions(Instance& instance);
void SheetCommand(Instance& instance, std::int16_t command);
void KontextClick(Instance& instance, int index);
void Toolbar2ButtonClick(Instance& instance, int index);

} // namespace agendor
