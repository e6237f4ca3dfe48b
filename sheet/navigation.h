#pragma once
// The sheet grid's handlers: selecting a day, click, double click, Esc,
// focus lost, and the deferred refresh of Timer1.
#include "agendor/core/instance.h"

namespace agendor {

void GridEnterCell(Instance& instance);
void GridClick(Instance& instance);
void GridDblClick(Instance& instance);
void GridKeyPress(Instance& instance, int& keyAscii);
void GridLostFocus(Instance& instance);
void GridMouseUp(Instance& instance, int button, int shift, Twips x, Twips y);
void Timer1Tick(Instance& instance);

} // namespace agendor
