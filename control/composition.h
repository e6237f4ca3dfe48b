#pragma once
// The child controls as designed: what every backend builds the same way
// (toolbar buttons with their tool tips and images, the context menu items).
#include <vector>

#include "agendor/platform/widgets.h"

namespace agendor {

// Toolbar1: delete, add, save.
AGENDOR_CORE_EXPORT std::vector<ToolbarButton> DayGridButtons();
// Toolbar2: week and month (a group), back, forward, print.
AGENDOR_CORE_EXPORT std::vector<ToolbarButton> SheetButtons();
// Kontext, items 1 to 7.
AGENDOR_CORE_EXPORT std::vector<MenuItem> ContextItems();

} // namespace agendor
