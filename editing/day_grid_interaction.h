#pragma once
// The day grid's own handlers (click, cell entered, key press), the title
// box that passes the focus on, opening the time editor over a time cell,
// and hooking all editing handlers to the child widgets.
#include "agendor/core/instance.h"

namespace agendor {

void GridZoomClick(Instance& instance);
void GridZoomEnterCell(Instance& instance);
void GridZoomKeyPress(Instance& instance, int& keyAscii);
void ToolbarTagGotFocus(Instance& instance);

// Opens the time editor over the day grid's current cell when that is the
// time cell of an appointment that may be edited (a click on it, or Enter,
// F2 or a digit there); true when it did.
bool EditTimeCell(Instance& instance);

// Places txtClock exactly over the day grid's current cell (column 0),
// shows its text with the caret at the start and gives it the focus.
void OpenTimeEditor(Instance& instance);

// Connects the handlers of Toolbar1, txtClock, cboPerson, GridZoom and
// txtToolbarTag; DisconnectEditingEvents leaves none pointing at instance.
void ConnectEditingEvents(Instance& instance);
void DisconnectEditingEvents(Instance& instance);

} // namespace agendor
