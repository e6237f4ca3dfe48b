#include "agendor/sheet/navigation.h"

#include "agendor/control/refresh.h"
#include "agendor/core/conventions.h"
#include "agendor/data/day_grid.h"
#include "agendor/sheet/sheet_model.h"

namespace agendor {

namespace {

constexpr int kKeyEscape = 27;
constexpr int kRightButton = 2;
// Errors of the sheet's own handlers carry the code of the sheet commands,
// of which opening the day grid ("Bearbeiten") is one; a failed deferred
// refresh is a failed load of the sheet's appointments.

// The saved position is put back only onto a day cell of the rebuilt sheet:
// the header row (the position before the grid ever lost the focus) and rows
// that a rebuilt week sheet no longer has are left alone.
bool IsDayCell(const FlexGrid& grid, int row, int col) {
    if (row < 1 || row >= grid.Rows() || col < 0 || col >= grid.Cols()) return false;
    const int day = DayNumberOfText(grid.TextMatrix(row, col));
    return day >= 1 && day <= 31;
}

} // namespace

void GridEnterCell(Instance& instance) {
    // Redraw is off while the control moves the cell itself (sheet builds,
    // loading); only the user's moves select a day.
    if (!instance.ui.Grid->Redraw()) return;
    instance.state.DateValue = CellDate(instance);
    // The day the user chose is the one a deferred refresh puts back.
    instance.state.SavedRow = static_cast<std::int16_t>(instance.ui.Grid->Row());
    instance.state.SavedCol = static_cast<std::int16_t>(instance.ui.Grid->Col());
}

void GridClick(Instance& instance) {
    WithErrorBox(instance, kSheetCommandError, [&] {
        if (instance.state.PopupShown) return;
        HideDayGrid(instance);
        if (instance.events.Click) instance.events.Click(instance.state.DateValue);
    });
}

void GridDblClick(Instance& instance) {
    WithErrorBox(instance, kSheetCommandError, [&] {
        ShowDay(instance);
        if (instance.state.PopupShown) return;
        if (instance.events.DblClick) instance.events.DblClick(CellDate(instance));
    });
}

void GridKeyPress(Instance& instance, int& keyAscii) {
    if (keyAscii == kKeyEscape && !instance.ui.txtClock->Visible()) HideDayGrid(instance);
}

void GridLostFocus(Instance& instance) {
    const FlexGrid& grid = *instance.ui.Grid;
    instance.state.SavedRow = static_cast<std::int16_t>(grid.Row());
    instance.state.SavedCol = static_cast<std::int16_t>(grid.Col());
}

void GridMouseUp(Instance& instance, int button, int /*shift*/, Twips x, Twips y) {
    State& s = instance.state;
    if (button == kRightButton && s.MenuEnabled) {
        // The grid reports the position in its own coordinates, the menu
        // opens in the control's.
        const FlexGrid& grid = *instance.ui.Grid;
        WithErrorBox(instance, kSheetCommandError, [&] { instance.ui.Kontextmenu->Popup(grid.Left() + x, grid.Top() + y); });
        s.PopupShown = true;
    } else {
        s.PopupShown = false;
    }
}

void Timer1Tick(Instance& instance) {
    // Off first: a refresh that fails is not repeated every 100 ms.
    instance.ui.Timer1->SetEnabled(false);
    State& s = instance.state;
    // The refresh happens while the user works on: it leaves the focus where
    // it is.
    s.KeepFocus = true;
    WithErrorBox(instance, kLoadDatesError, [&] {
        RefreshControl(instance);
        FlexGrid& grid = *instance.ui.Grid;
        // Each move below passes the cell-entered handler, which saves it.
        const int row = s.SavedRow, col = s.SavedCol;
        if (!IsDayCell(grid, row, col)) return;
        // Redraw is on again: each move goes through the cell-entered
        // handler, so DateValue ends as the restored cell's date.
        grid.SetCol(col);
        grid.SetRow(row);
    });
    s.KeepFocus = false;
}

} // namespace agendor
