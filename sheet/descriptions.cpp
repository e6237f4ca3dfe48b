#include "agendor/sheet/descriptions.h"

#include <charconv>

#include "agendor/core/date_time.h"
#include "agendor/sheet/holidays.h"
#include "agendor/sheet/sheet_model.h"

namespace agendor {

std::optional<DateTime> DateOfSheetCell(const Instance& instance, int row, int col) {
    const State& s = instance.state;
    const FlexGrid& grid = *instance.ui.Grid;
    if (row < 1 || row >= grid.Rows() || col < 0 || col > 6) return std::nullopt;
    const int shown = DayNumberOfText(grid.TextMatrix(row, col));
    if (shown < 1) return std::nullopt;
    try {
        std::optional<DateTime> date;
        if (s.View == agMonat) date = MonthDateOfCell(s.DateValue, SheetCell{row, col});
        else if (row == 1) date = dt::AddDays(MondayOf(s.DateValue), col);
        if (!date || dt::Day(*date) != shown) return std::nullopt;
        return date;
    } catch (const Error&) {
        // A week at the edge of the calendar has days outside it.
        return std::nullopt;
    }
}

std::string DayCellDescription(const Instance& instance, int row, int col) {
    const std::optional<DateTime> date = DateOfSheetCell(instance, row, col);
    if (!date) return {};
    const State& s = instance.state;
    std::string text = dt::Format(*date, "dddd, d. mmmm yyyy", instance.locale());
    if (s.PublicHoliday) {
        const std::string name = HolidayName(*date);
        if (!name.empty()) text += ", " + name;
    }
    const auto found = s.AppointmentsPerDay.find(dt::DayNumber(*date));
    const int count = found == s.AppointmentsPerDay.end() ? 0 : found->second;
    text += count == 0 ? std::string(", keine Termine")
                       : ", " + std::to_string(count) + (count == 1 ? " Termin" : " Termine");
    return text;
}

std::string MarkerDescription(const Instance& instance, int markerIndex) {
    try {
        const std::string tag = instance.ui.btnVorlage->Tag(markerIndex);
        int day = 0;
        std::from_chars(tag.data(), tag.data() + tag.size(), day);
        const FlexGrid& grid = *instance.ui.Grid;
        for (int row = 1; row < grid.Rows(); ++row) {
            for (int col = 0; col < 7; ++col) {
                if (DayNumberOfText(grid.TextMatrix(row, col)) != day) continue;
                if (const auto date = DateOfSheetCell(instance, row, col))
                    return "Weitere Termine am " + dt::Format(*date, "d. mmmm", instance.locale());
            }
        }
    } catch (const Error&) {
    }
    return {};
}

} // namespace agendor
