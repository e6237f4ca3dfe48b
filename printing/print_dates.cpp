#include "agendor/printing/print_dates.h"

#include "agendor/data/loaders.h"
#include "agendor/platform/date_time.h"
#include "agendor/printing/print_sheet.h"
#include "agendor/sheet/sheet_model.h"

namespace agendor {

namespace {

// Shows that a cell holds more appointments than fit; FitText cuts it to the
// column.
constexpr const char* kOverflowMarker = "***************************************";
// The first appointment of a cell stands this far below the cell's top line,
// under the day number, in cm.
constexpr double kFirstLineOffset = 0.4;
// Sums of line heights are not exact; a line that ends exactly at the
// asterisks' top still fits.
constexpr double kRounding = 1e-9;

} // namespace

void PrintDates(Instance& instance, Printer& printer, DateTime day, int view) {
    State& s = instance.state;
    try {
        if (s.FieldDatesDateID.empty() || s.DataSourceDates.empty()) return;
        s.LastPrintRow = 0;
        s.LastPrintCol = 0;
        ReadSheetAppointments(s, day, view, [&](DateTime when, const std::string& person) {
            PrintDate(instance, printer, when, person, view);
        });
    } catch (const std::exception& e) {
        ShowErrorBox(instance, 5, e.what());
    }
}

void PrintDate(Instance& instance, Printer& printer, DateTime when, const std::string& person, int view) {
    State& s = instance.state;
    const int col = dt::Weekday(when) - 1;
    const int row = view == agMonat ? MonthCellOf(when).row : 1;
    const std::string line = FitText(printer, dt::Format(when, "hh:mm", instance.locale()) + " " + person);
    printer.SetCurrentX(page::kLeft + page::kColumnWidth * col + page::kCellIndent);
    if (row == s.LastPrintRow && col == s.LastPrintCol) {
        const double rowHeight = view == agMonat ? page::kMonthRowHeight : page::kWeekRowHeight;
        const double cellBottom = row * rowHeight + page::kHeaderBottom;
        // A line goes in only while the asterisks would still fit below it:
        // set over a line, they would strike that appointment through.
        const double markerTop = cellBottom - printer.TextHeight("*");
        if (printer.CurrentY() + printer.TextHeight(line) <= markerTop + kRounding) {
            printer.Print(line);
        } else {
            const Colour colour = printer.ForeColor();
            printer.SetForeColor(kRed);
            printer.SetCurrentY(markerTop);
            printer.SetFontBold(true);
            printer.Print(FitText(printer, kOverflowMarker));
            printer.SetForeColor(colour);
            printer.SetFontBold(false);
        }
    } else {
        printer.SetCurrentY(page::kHeaderBottom + page::kMonthRowHeight * (row - 1) + kFirstLineOffset);
        printer.Print(line);
    }
    s.LastPrintRow = static_cast<std::int16_t>(row);
    s.LastPrintCol = static_cast<std::int16_t>(col);
}

} // namespace agendor
