#include "agendor/sheet/sheet_model.h"

#include <cmath>

#include "agendor/core/conventions.h"
#include "agendor/core/date_time.h"

namespace agendor {

namespace {

// Before InitProperties or ReadProperties there is no font of our own yet.
std::shared_ptr<Font> MeasuringFont(const Instance& instance) {
    return instance.state.font ? instance.state.font : instance.ui.container->AmbientFont();
}

} // namespace

int DayNumberOfText(const std::string& cellText) {
    int value = 0;
    for (std::size_t i = 0; i < cellText.size() && i < 2; ++i) {
        const char c = cellText[i];
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::int16_t SelectedDay(const Instance& instance) {
    return static_cast<std::int16_t>(dt::Day(instance.state.DateValue));
}

DateTime CellDate(Instance& instance) {
    const State& s = instance.state;
    FlexGrid& grid = *instance.ui.Grid;
    const int n = DayNumberOfText(grid.Text());
    if (n < 1 || n > 31) return s.DateValue;
    int year = dt::Year(s.DateValue);
    int month = dt::Month(s.DateValue);
    if (s.View != agMonat) {
        const int a = DayNumberOfText(grid.TextMatrix(1, 0));
        const int b = DayNumberOfText(grid.TextMatrix(1, 6));
        if (a > b) {
            const int selected = dt::Day(s.DateValue);
            DateTime other = 0;
            bool useOther = false;
            if (n >= a) {
                if (selected <= b) { other = dt::AddMonths(s.DateValue, -1); useOther = true; }
            } else if (selected >= a) {
                other = dt::AddMonths(s.DateValue, 1);
                useOther = true;
            }
            if (useOther) {
                year = dt::Year(other);
                month = dt::Month(other);
            }
        }
    }
    // A day number the month does not have (a sheet that no longer matches
    // DateValue) runs into the next month rather than failing.
    return dt::FromYmd(year, month, n);
}

std::int16_t WeekNumber(DateTime d) {
    // ISO 8601: the week belongs to the year of its Thursday.
    const DateTime thursday = dt::AddDays(dt::DateOnly(d), 4 - dt::Weekday(d));
    const DateTime firstOfYear = dt::FromYmd(dt::Year(thursday), 1, 1);
    const long dayOfYear = dt::DayNumber(thursday) - dt::DayNumber(firstOfYear);
    return static_cast<std::int16_t>(dayOfYear / 7 + 1);
}

std::string FitCellText(const Instance& instance, const std::string& text) {
    const TextMetrics& metrics = *instance.ui.metrics;
    const Twips limit = instance.state.SheetColWidth - 10 * metrics.TwipsPerPixelX();
    const std::shared_ptr<Font> fontObject = MeasuringFont(instance);
    const Font& font = *fontObject;
    if (metrics.TextWidth(font, text) < limit) return text;
    // Widths grow with every character, so the first prefix that reaches the
    // limit can be found by bisection instead of measuring every prefix.
    const std::vector<std::size_t> ends = Utf8CharacterEnds(text);
    std::size_t lo = 0, hi = ends.size();  // prefixes [0, lo) fit; ends[hi-1] reaches the limit
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (metrics.TextWidth(font, text.substr(0, ends[mid])) >= limit) hi = mid;
        else lo = mid + 1;
    }
    return lo == 0 ? std::string() : text.substr(0, ends[lo - 1]);
}

std::string FitDayText(const Instance& instance, const std::string& dayNumber, const std::string& name) {
    const std::string fitted = FitCellText(instance, dayNumber + " " + name);
    if (fitted.size() < dayNumber.size() + 2) return dayNumber;
    return fitted;
}

bool LineFits(const Instance& instance, const std::string& text, const std::string& line) {
    const Twips height = instance.ui.metrics->TextHeight(*MeasuringFont(instance), text + "\r" + line);
    FlexGrid& grid = *instance.ui.Grid;
    return height <= grid.RowHeight(grid.Row());
}

SheetCell MonthCellOf(DateTime d) {
    const int w1 = dt::Weekday(dt::FromYmd(dt::Year(d), dt::Month(d), 1));
    const int i = (dt::Day(d) - 1) + (w1 - 1);  // [0, 36]
    return {i / 7 + 1, i % 7};
}

std::optional<DateTime> MonthDateOfCell(DateTime monthDate, SheetCell cell) {
    const int year = dt::Year(monthDate), month = dt::Month(monthDate);
    const int w1 = dt::Weekday(dt::FromYmd(year, month, 1));
    const int k = (cell.row - 1) * 7 + cell.col - (w1 - 1) + 1;
    if (cell.row < 1 || cell.col < 0 || cell.col > 6 || k < 1 || k > dt::DaysInMonth(year, month)) return std::nullopt;
    return dt::FromYmd(year, month, k);
}

DateTime MondayOf(DateTime d) {
    return dt::AddDays(dt::DateOnly(d), 1 - dt::Weekday(d));
}

} // namespace agendor
