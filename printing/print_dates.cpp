#include "agendor/printing/print_dates.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "agendor/core/conventions.h"
#include "agendor/data/loaders.h"
#include "agendor/data/printable_text.h"
#include "agendor/core/date_time.h"
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
// Sums of line heights are not exact; a line that ends exactly at a limit
// still fits.
constexpr double kRounding = 1e-9;
// No cell holds this many lines (15 cm of lines of 8 points); later
// appointments of a cell only mark it as overflowing, so a day with a
// million appointments costs no more memory than one with a hundred.
constexpr std::size_t kMostLinesOfACell = 100;

// The appointments of one cell of the sheet, in the order they were read.
struct CellLines {
    int row = 0, col = 0;
    std::vector<std::string> lines;
    bool more = false;  // lines beyond kMostLinesOfACell were left out
};

CellLines& CellOf(std::vector<CellLines>& cells, int row, int col) {
    for (CellLines& cell : cells)
        if (cell.row == row && cell.col == col) return cell;
    cells.push_back({row, col, {}, false});
    return cells.back();
}

// Prints the lines of one cell one below the other. When they do not all fit
// above the cell's bottom, the lines that fit above the asterisks are
// printed and the asterisks once at the cell's foot; set over a line, they
// would strike that appointment through.
void PrintCell(Printer& printer, const CellLines& cell, int view) {
    const double rowHeight = view == agMonat ? page::kMonthRowHeight : page::kWeekRowHeight;
    const double cellBottom = cell.row * rowHeight + page::kHeaderBottom;
    std::vector<std::string> fitted;
    for (const std::string& line : cell.lines) fitted.push_back(FitText(printer, line));
    const double top = page::kHeaderBottom + page::kMonthRowHeight * (cell.row - 1) + kFirstLineOffset;
    double allLines = top;
    for (const std::string& line : fitted) allLines += printer.TextHeight(line);
    const bool overflows = cell.more || allLines > cellBottom + kRounding;
    const double limit = overflows ? cellBottom - printer.TextHeight("*") : cellBottom;

    printer.SetCurrentX(page::kLeft + page::kColumnWidth * cell.col + page::kCellIndent);
    printer.SetCurrentY(top);
    for (std::size_t i = 0; i < fitted.size(); ++i) {
        // The first appointment of a cell always stands under its day number.
        if (i > 0 && printer.CurrentY() + printer.TextHeight(fitted[i]) > limit + kRounding) break;
        printer.Print(fitted[i]);
    }
    if (!overflows) return;
    const Colour colour = printer.ForeColor();
    printer.SetForeColor(kRed);
    printer.SetCurrentY(limit);
    printer.SetFontBold(true);
    printer.Print(FitText(printer, kOverflowMarker));
    printer.SetForeColor(colour);
    printer.SetFontBold(false);
}

} // namespace

void PrintDates(Instance& instance, Printer& printer, DateTime day, int view) {
    State& s = instance.state;
    s.LastPrintRow = 0;
    s.LastPrintCol = 0;
    if (s.FieldDatesDateID.empty() || s.DataSourceDates.empty()) return;
    // Everything is read before anything is printed, so that a failure of the
    // data (box 5, the page still goes out) and one of the printer (the page
    // is thrown away) cannot be mistaken for each other.
    std::vector<CellLines> cells;
    std::optional<std::string> dataError;
    try {
        ReadSheetAppointments(s, day, view, [&](DateTime when, const std::string& person) {
            const int row = view == agMonat ? MonthCellOf(when).row : 1;
            CellLines& cell = CellOf(cells, row, dt::Weekday(when) - 1);
            if (cell.lines.size() == kMostLinesOfACell) {
                cell.more = true;
                return;
            }
            cell.lines.push_back(dt::Format(when, "hh:mm", instance.locale()) + " " + PrintableText(person));
        });
    } catch (const std::exception& e) {
        dataError = e.what();
    }
    for (const CellLines& cell : cells) {
        PrintCell(printer, cell, view);
        s.LastPrintRow = static_cast<std::int16_t>(cell.row);
        s.LastPrintCol = static_cast<std::int16_t>(cell.col);
    }
    if (dataError) ShowErrorBox(instance, kPrintDatesError, *dataError);
}

} // namespace agendor
