#pragma once
#include "agendor/core/instance.h"

namespace agendor {

// Lays the children out for an inner size of width x height twips. Each
// statement is guarded on its own: one that the platform refuses (a negative
// width of a tiny control) is skipped and the next one runs.
void ResizeLayout(Instance& instance, Twips width, Twips height);

// Once the size has settled after one or more resizes: loads the sheet again,
// so its lines are cut to the new columns and its markers sit on the new
// cells, and keeps what the person was looking at: DateValue, the
// highlighted cell (row, col, as it was before the first of the resizes) and
// an open day grid, placed again next to its day's column with its editors.
// While a time or person is being entered the sheet is not reloaded, so
// that the entry keeps the focus; the day grid is only placed again.
void ReloadForNewSize(Instance& instance, int row, int col);

} // namespace agendor
