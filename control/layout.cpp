#include "agendor/control/layout.h"

#include <algorithm>

#include "agendor/core/conventions.h"
#include "agendor/data/day_grid.h"
#include "agendor/data/loaders.h"
#include "agendor/core/date_time.h"
#include "agendor/sheet/sheet_model.h"
#include "agendor/sheet/sheets.h"

namespace agendor {

namespace {

// A statement the platform refuses is skipped; the next one still runs.
template <typename F>
void Step(F&& statement) {
    try {
        statement();
    } catch (const std::exception&) {
    }
}

} // namespace

void ResizeLayout(Instance& instance, Twips width, Twips height) {
    Surface& ui = instance.ui;
    State& s = instance.state;
    FlexGrid& grid = *ui.Grid;
    FlexGrid& zoom = *ui.GridZoom;
    const double W = width, H = height;
    const Twips pixelX = ui.metrics->TwipsPerPixelX();
    const Twips pixelY = ui.metrics->TwipsPerPixelY();

    Step([&] { ui.lblMonat->SetTop(210); });
    Step([&] { ui.lblMonat->SetLeft(1800); });
    Step([&] { ui.lblMonat->SetWidth(width - 1800 - 40); });

    Step([&] { grid.SetRedraw(false); });
    Step([&] { grid.SetLeft(0); });
    Step([&] { grid.SetTop(ui.Frame1->Top() + ui.Frame1->Height()); });
    Step([&] { grid.SetWidth(width); });
    Step([&] { grid.SetHeight(RoundTwips(H - (ui.Frame1->Height() + ui.Frame1->Top()))); });
    Step([&] { grid.SetRowHeight(0, kSheetHeaderRowHeight); });
    for (int c = 0; c < 7; ++c) Step([&] { grid.SetColWidth(c, RoundTwips(W / 7)); });
    const int rows = grid.Rows();
    for (int r = 1; r < rows; ++r) {
        Step([&] { grid.SetRowHeight(r, RoundTwips((grid.Height() - kSheetHeaderRowHeight) / double(rows - 1))); });
    }
    const Twips h = grid.RowHeight(rows - 1);
    s.SheetColWidth = grid.ColWidth(0);
    Step([&] { grid.SetCol(6); });
    Step([&] { grid.SetRow(rows - 1); });
    // With only the header row there is no data row to stretch.
    if (rows >= 2) {
        Step([&] {
            grid.SetRowHeight(rows - 1, RoundTwips(grid.Height() - (double(rows - 2) * h + kSheetHeaderRowHeight) - pixelY));
        });
    }
    Step([&] { grid.SetColWidth(6, RoundTwips(W - 6.0 * s.SheetColWidth - pixelX)); });
    Step([&] { grid.SetRedraw(true); });

    Step([&] { zoom.SetHeight(grid.Height() - kSheetHeaderRowHeight - ui.Toolbar1->Height()); });
    Step([&] { zoom.SetWidth(std::max<Twips>(2 * s.SheetColWidth, 2500)); });
    Step([&] { ui.Toolbar1->SetWidth(zoom.Width()); });
    Step([&] { zoom.SetColWidth(0, RoundTwips(zoom.Width() * 0.2)); });
    Step([&] { zoom.SetColWidth(1, RoundTwips(zoom.Width() - 40.0 - zoom.ColWidth(0))); });
    Step([&] { ui.txtToolbarTag->SetWidth(zoom.Width() - 1080 - 10); });

    Step([&] { ui.Frame1->SetWidth(width); });
    Step([&] { grid.SetColWidth(0, RoundTwips(W / 7)); });
}

namespace {

bool IsDayCellOf(const FlexGrid& grid, int row, int col, int day) {
    if (row < 1 || row >= grid.Rows() || col < 0 || col > 6) return false;
    const int shown = DayNumberOfText(grid.TextMatrix(row, col));
    return day == 0 ? shown >= 1 : shown == day;
}

// Moves a child by (dx, dy), as the day grid it belongs to moved.
void Shift(Widget& widget, Twips dx, Twips dy) {
    Step([&] { widget.SetLeft(widget.Left() + dx); });
    Step([&] { widget.SetTop(widget.Top() + dy); });
}

} // namespace

void ReloadForNewSize(Instance& instance, int row, int col) {
    Surface& ui = instance.ui;
    State& s = instance.state;
    FlexGrid& grid = *ui.Grid;
    const bool dayGridOpen = ui.GridZoom->Visible() && s.ShownDay.has_value();
    const bool entering = ui.txtClock->Visible() || ui.cboPerson->Visible();
    const DateTime selected = s.DateValue;
    if (!entering) {
        BuildSheet(instance);
        LoadDates(instance);
    }
    s.DateValue = selected;

    // The control's own moves: Redraw off, so DateValue stays.
    grid.SetRedraw(false);
    try {
        if (dayGridOpen) {
            const DateTime day = *s.ShownDay;
            const SheetCell cell = s.View == agMonat ? MonthCellOf(day) : SheetCell{1, dt::Weekday(day) - 1};
            if (IsDayCellOf(grid, cell.row, cell.col, dt::Day(day))) {
                grid.SetRow(cell.row);
                grid.SetCol(cell.col);
                const Twips left = ui.GridZoom->Left(), top = ui.GridZoom->Top();
                PlaceDayGroup(instance);
                const Twips dx = ui.GridZoom->Left() - left, dy = ui.GridZoom->Top() - top;
                Shift(*ui.txtClock, dx, dy);
                Shift(*ui.cboPerson, dx, dy);
            }
        }
        if (IsDayCellOf(grid, row, col, 0)) {
            grid.SetRow(row);
            grid.SetCol(col);
        }
    } catch (...) {
        grid.SetRedraw(true);
        throw;
    }
    grid.SetRedraw(true);
    if (dayGridOpen) {
        // Above the markers just set.
        ui.GridZoom->ZOrder();
        ui.Toolbar1->ZOrder();
        ui.txtToolbarTag->ZOrder();
        ui.txtClock->ZOrder();
        ui.cboPerson->ZOrder();
    }
}

} // namespace agendor
