#pragma once
// Dragging a day-grid row, or an appointment's line in a sheet cell, onto a
// day of the sheet moves the appointment there, its time of day kept.
#include <memory>

#include "agendor/platform/surface.h"

class QObject;

namespace agendor::qt {

class QtSurface;

// While a row is dragged the day under the mouse is framed and the cursor
// says whether a drop is possible; Esc ends the drag with nothing changed; a
// release on the sheet's back or forward button pages and the drag goes on.
// The filter reads the surface: the caller ends it before the surface goes.
std::unique_ptr<QObject> InstallDragMove(Agendor& control, QtSurface& surface);

} // namespace agendor::qt
