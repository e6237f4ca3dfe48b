#pragma once
// The control without a mouse and for a screen reader. Keys: Enter or F2 on
// a day of the sheet opens its day grid, Esc there closes it again, Tab and
// Shift+Tab go round the sheet, its toolbar, the day grid and the day grid's
// toolbar; the focused part always shows it. Names: a day cell says its day,
// its named day and how many appointments it has, a marker the day it
// stands for, a toolbar button its tool tip.
namespace agendor {
class Agendor;
}

namespace agendor::qt {

class QtSurface;

// Sets up the keys and names for one control on its surface. The key filter
// belongs to the surface's parent widget; the control must live as long as
// the surface's widgets ask for names.
void InstallAccess(Agendor& control, QtSurface& surface);

} // namespace agendor::qt
