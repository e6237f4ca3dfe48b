#include "agendor/data/markers.h"

#include "agendor/core/conventions.h"
#include "agendor/data/day_grid.h"
#include "agendor/data/printable_text.h"
#include "agendor/core/date_time.h"
#include "agendor/sheet/sheet_model.h"

namespace agendor {

const char* const kMarkerArrow[13] = {
    "              ",
    "              ",
    "     BBBBB    ",
    "     BTTTB    ",
    "     BTTTB    ",
    "     BTTTB    ",
    "  BBBBTTTBBBB ",
    "   BTTTTTTTB  ",
    "    BTTTTTB   ",
    "     BTTTB    ",
    "      BTB     ",
    "       B      ",
    "              ",
};

namespace {

// Sheet row of day `day` (1..31) in the month view, where the first of the
// month falls on weekday firstWeekday (Monday = 1): rows 1..6.
int MonthRow(int day, int firstWeekday) {
    return (day + firstWeekday - 2) / 7 + 1;
}

// A marker in the top right corner of the current cell; on Sunday it touches
// the grid's right edge, which also covers the grid's border.
void SetMarker(Instance& instance, int col, int day) {
    State& s = instance.state;
    FlexGrid& grid = *instance.ui.Grid;
    MarkerArray& markers = *instance.ui.btnVorlage;
    const std::int32_t index = s.MarkerCount + 1;
    markers.Load(index);
    s.MarkerCount = index;
    Widget& marker = markers.Element(index);
    const Twips left = col == 6 ? grid.Width() - marker.Width() : grid.CellLeft() + s.SheetColWidth - marker.Width();
    marker.SetLeft(grid.Left() + left);
    marker.SetTop(grid.Top() + grid.CellTop());
    markers.SetTag(index, std::to_string(day));
    marker.ZOrder();
    marker.SetVisible(true);
}

} // namespace

void PlaceDate(Instance& instance, DateTime when, const std::string& person) {
    FlexGrid& grid = *instance.ui.Grid;
    const int day = dt::Day(when);
    const int weekday = dt::Weekday(when);
    // The first of the month lies day - 1 days earlier (one conversion per
    // appointment fewer: a dense month places thousands).
    const int firstWeekday = ((weekday - day) % 7 + 7) % 7 + 1;
    const int row = instance.state.View == agMonat ? MonthRow(day, firstWeekday) : 1;
    const int col = weekday - 1;
    grid.SetRow(row);
    grid.SetCol(col);
    // Once an appointment of a cell has not fitted, no later one of that
    // cell fits either: each line is cut to one line's height and the cell
    // text no longer grows. Appointments arrive in time order, so when the
    // newest marker carries this day the cell is full and measuring (the
    // costly part on a real table widget) can be skipped.
    const State& s = instance.state;
    if (s.MarkerCount > 0 && instance.ui.btnVorlage->Tag(s.MarkerCount) == std::to_string(day)) {
        SetMarker(instance, col, day);
        return;
    }
    const std::string line =
        FitCellText(instance, dt::Format(when, "hh:mm", instance.locale()) + " " + PrintableText(person));
    const std::string text = grid.Text();
    if (LineFits(instance, text, line)) {
        grid.SetText(text + "\r" + line);
        return;
    }
    SetMarker(instance, col, day);
}

void MarkerClick(Instance& instance, int index) {
    // A database error while the day opens is shown, never passed into the
    // host's event loop.
    WithErrorBox(instance, kSheetCommandError, [&] {
        if (instance.ui.GridZoom->Visible()) {
            HideDayGrid(instance);
        } else {
            ShowDay(instance, index);
        }
    });
}

} // namespace agendor
