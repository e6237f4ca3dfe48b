#pragma once
// The printed sheet: the week or month of a day on one A4 landscape page,
// with its title, the framed table of seven day columns, the weekday names,
// the day numbers with their named days, the footnote and the appointments.
// Positions are centimetres from the top left of the printable area.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "agendor/core/instance.h"

namespace agendor {

// The layout of the page, in cm.
namespace page {
inline constexpr double kLeft = 1.0, kTop = 2.5, kRight = 27.6, kBottom = 18.5;
inline constexpr double kColumnWidth = 3.8;
inline constexpr double kHeaderBottom = 3.5;    // the weekday band runs from kTop to here
inline constexpr double kWeekdayNamesY = 2.7;
inline constexpr double kMonthRowHeight = 2.5;  // six rows from kHeaderBottom
inline constexpr double kWeekRowHeight = 15.0;  // one row from kHeaderBottom
inline constexpr double kCellIndent = 0.1;      // day numbers and appointments from the column's left line
inline constexpr double kCellTextWidth = 3.6;   // a cell's text stays narrower than this
inline constexpr double kTitleY = 1.8, kTitleCentreWidth = 29.7;
inline constexpr double kFootnoteY = 19.0, kFootnoteCentreWidth = 30.0;
// A longer footnote is cut: centred as above, it then ends at the table's
// right edge and starts well inside its left one.
inline constexpr double kFootnoteWidth = 2 * (kRight - kFootnoteCentreWidth / 2);
inline constexpr int kFrameWidth = 5, kInnerLineWidth = 1;  // printer dots
} // namespace page

inline constexpr Colour kBlack = RGB(0, 0, 0);
inline constexpr Colour kRed = RGB(255, 0, 0);

// The view PrintSheet prints: 2 (month) when the effective view (intView when
// given, else View) is 2, and 1 (week) for every other value.
int PrintView(std::optional<std::int16_t> intView, std::int16_t View);

// The longest beginning of text, in whole characters (never between a
// letter and its accents, see Printer::CharacterEnds), whose width in the
// printer's current font is less than width (a cell's 3.6 cm unless told);
// the text whole when it fits. Measures a bounded beginning of the text a
// bounded number of times, however long the text is.
std::string FitText(const Printer& printer, const std::string& text, double width = page::kCellTextWidth);

// The days whose sheets a print of the range from ... to holds, one per
// sheet: the first of each month the range touches (view 2), or the Monday
// of each week (view 1); empty when to lies before from. Stops after one
// sheet more than a print run may hold.
std::vector<DateTime> SheetDays(DateTime from, DateTime to, int view);

// Prints the week (view 1) or month (view 2) sheet of day on the system's
// printer and sends the page. Any failure shows the error box with code 3
// and throws the begun page away, so that it neither reaches the printer nor
// joins the next print run. Returns whether the page was sent.
bool PrintPage(Instance& instance, DateTime day, int view);

// Prints the sheets of the days from ... to (SheetDays) as one document, one
// page each exactly as PrintPage prints it, titled "Termine " and the first
// sheet's title (" – " and the last one's for several). A failure on any
// page shows the error box with code 3 and throws the whole document away.
bool PrintPages(Instance& instance, DateTime from, DateTime to, int view);

} // namespace agendor
