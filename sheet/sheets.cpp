#include "agendor/sheet/sheets.h"

#include <algorithm>
#include <string>

#include "agendor/core/conventions.h"
#include "agendor/core/date_time.h"
#include "agendor/sheet/holidays.h"
#include "agendor/sheet/sheet_model.h"

namespace agendor {

namespace {

constexpr Colour kBlack = 0;
constexpr Colour kWeekendFore = RGB(255, 0, 0);
constexpr Colour kTodayFore = RGB(0, 0, 255);
// Height of the header row, set on resize (twips).
// Columns 5 and 6 are Saturday and Sunday.
constexpr int kFirstWeekendCol = 5;

// Switches the grid's painting (and the selection handling that watches
// Redraw) off for the rebuild, and on again however the rebuild ends: an
// error from a widget must not leave the sheet frozen.
class RedrawOff {
public:
    explicit RedrawOff(FlexGrid& grid) : grid_(grid) { grid_.SetRedraw(false); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;
    ~RedrawOff() { grid_.SetRedraw(true); }

private:
    FlexGrid& grid_;
};

// A row height is never negative, even for a grid that has not been laid out
// yet (height 0 before the first resize).
void SetRowHeightAtLeastZero(FlexGrid& grid, int row, Twips height) {
    grid.SetRowHeight(row, std::max<Twips>(0, height));
}

void MoveTo(FlexGrid& grid, int row, int col) {
    grid.SetRow(row);
    grid.SetCol(col);
}

// The current cell as an empty day cell: no text, left-top, the normal
// background, black text or red on Saturday and Sunday.
void ClearCurrentCell(Instance& instance, int col) {
    FlexGrid& grid = *instance.ui.Grid;
    grid.SetText(std::string());
    grid.SetCellAlignment(CellAlignment::LeftTop);
    grid.SetCellBackColor(instance.state.BackColor);
    grid.SetCellForeColor(kBlack);
    if (col >= kFirstWeekendCol) grid.SetCellForeColor(kWeekendFore);
}

// Writes the day of date into the current cell (with its name when named
// days are on) and marks it as past or as today.
void FillCurrentDayCell(Instance& instance, DateTime date, long today) {
    FlexGrid& grid = *instance.ui.Grid;
    State& s = instance.state;
    const std::string dayNumber = std::to_string(dt::Day(date));
    std::string text = dayNumber;
    if (s.PublicHoliday) {
        const std::string name = HolidayName(date);
        // Only the name is cut to the column: the day number always stays,
        // since the cell is read back by it.
        if (!name.empty()) text = FitDayText(instance, dayNumber, name);
    }
    grid.SetText(text);
    const long day = dt::DayNumber(date);
    if (day < today) {
        grid.SetCellBackColor(s.BackcolorPast);
    } else if (day == today) {
        grid.SetCellForeColor(kTodayFore);
        s.TodayCol = static_cast<std::int16_t>(grid.Col());
        s.TodayRow = static_cast<std::int16_t>(grid.Row());
        s.TodayOnSheet = true;
    }
}

} // namespace

std::string WeekLabel(const Locale& locale, DateTime monday) {
    const std::string week = ", " + std::to_string(WeekNumber(monday)) + ".KW";
    const DateTime sunday = dt::AddDays(monday, 6);
    if (dt::Day(sunday) < dt::Day(monday)) {
        return dt::Format(monday, "mmm", locale) + " / " +
               dt::Format(dt::AddMonths(monday, 1), "mmm yyyy", locale) + week;
    }
    return dt::Format(monday, "mmmm yyyy", locale) + week;
}

std::string MonthLabel(const Locale& locale, DateTime d) {
    return dt::Format(d, "mmmm yyyy", locale);
}

void RemoveMarkers(Instance& instance) {
    MarkerArray& markers = *instance.ui.btnVorlage;
    // Highest first; Count follows the highest element still loaded, so this
    // also copes with elements that were never loaded in between.
    while (markers.Count() > 1) markers.Unload(markers.Count() - 1);
    instance.state.MarkerCount = 0;
    instance.state.AppointmentsPerDay.clear();
}

void BuildWeekSheet(Instance& instance, DateTime d) {
    State& s = instance.state;
    FlexGrid& grid = *instance.ui.Grid;
    s.TodayOnSheet = false;
    RedrawOff redrawOff(grid);

    const DateTime monday = MondayOf(d);
    instance.ui.lblMonat->SetCaption(WeekLabel(instance.locale(), monday));

    grid.SetRows(2);
    grid.SetRow(1);
    SetRowHeightAtLeastZero(grid, 1, grid.Height() - grid.RowPos(1) - instance.ui.metrics->TwipsPerPixelY());

    for (int c = 0; c < 7; ++c) {
        grid.SetCol(c);
        ClearCurrentCell(instance, c);
    }

    const long today = dt::DayNumber(instance.Today());
    grid.SetRow(1);
    for (int c = 0; c < 7; ++c) {
        grid.SetCol(c);
        FillCurrentDayCell(instance, dt::AddDays(monday, c), today);
    }

    RemoveMarkers(instance);
}

void BuildMonthSheet(Instance& instance, DateTime d) {
    State& s = instance.state;
    FlexGrid& grid = *instance.ui.Grid;
    RedrawOff redrawOff(grid);
    grid.SetRows(7);

    const Twips rowHeight = RoundTwips((grid.Height() - kSheetHeaderRowHeight) / 6.0);
    for (int r = 1; r <= 6; ++r) SetRowHeightAtLeastZero(grid, r, rowHeight);
    // The last row takes the rounding remainder, so the grid is filled but
    // for one pixel.
    SetRowHeightAtLeastZero(grid, 6, grid.Height() - grid.RowPos(6) - instance.ui.metrics->TwipsPerPixelY());

    s.TodayOnSheet = false;
    instance.ui.lblMonat->SetCaption(MonthLabel(instance.locale(), d));

    const int year = dt::Year(d), month = dt::Month(d);
    const DateTime first = dt::FromYmd(year, month, 1);
    const int daysInMonth = dt::DaysInMonth(year, month);  // [28, 31]
    const int w1 = dt::Weekday(first);                       // [1, 7]
    const long today = dt::DayNumber(instance.Today());

    for (int c = 0; c < 7; ++c) {
        for (int r = 1; r <= 6; ++r) {
            MoveTo(grid, r, c);
            ClearCurrentCell(instance, c);
        }
    }

    // Leading cells: past as soon as the month has begun.
    grid.SetRow(1);
    for (int c = 0; c <= w1 - 2; ++c) {
        grid.SetCol(c);
        if (dt::DayNumber(first) - 1 < today) grid.SetCellBackColor(s.BackcolorPast);
    }

    for (int k = 1; k <= daysInMonth; ++k) {
        const SheetCell cell = MonthCellOf(dt::FromYmd(year, month, k));
        MoveTo(grid, cell.row, cell.col);
        FillCurrentDayCell(instance, dt::FromYmd(year, month, k), today);
    }

    // The cell after the last day stays current, as the loop over the days
    // would leave it. Its running index lies in [28, 37], so it is a cell of
    // row 5 or 6 and always exists.
    const int after = daysInMonth + w1 - 1;
    MoveTo(grid, after / 7 + 1, after % 7);
    // Trailing cells: past once the first day of the next month is past.
    if (dt::DayNumber(first) + daysInMonth - 1 < today - 1) {
        const int row = grid.Row();
        for (int c = 0; c < 7; ++c) {
            grid.SetCol(c);
            grid.SetCellBackColor(s.BackcolorPast);
        }
        if (row == 5) {
            grid.SetRow(6);
            for (int c = 0; c < 7; ++c) {
                grid.SetCol(c);
                grid.SetCellBackColor(s.BackcolorPast);
            }
        }
    }

    RemoveMarkers(instance);
}

void BuildSheet(Instance& instance) {
    if (instance.state.View == agMonat) BuildMonthSheet(instance, instance.state.DateValue);
    else BuildWeekSheet(instance, instance.state.DateValue);
}

} // namespace agendor
