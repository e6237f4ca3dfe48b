#include "agendor/printing/print_sheet.h"

#include <algorithm>
#include <memory>

#include "agendor/platform/date_time.h"
#include "agendor/printing/print_dates.h"
#include "agendor/sheet/holidays.h"
#include "agendor/sheet/sheet_model.h"
#include "agendor/sheet/sheets.h"

namespace agendor {

namespace {

constexpr const char* kNoPrinter = "Kein Drucker installiert";

// Length in bytes of the UTF-8 sequence that starts with lead; a stray byte
// counts as one character, so a broken text is still cut somewhere.
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

std::string FontFace(const State& s) { return s.font ? s.font->Name() : s.Fontname; }

std::string Title(const Instance& instance, DateTime day, int view) {
    if (view == agMonat) return MonthLabel(instance.locale(), day);
    return WeekLabel(instance.locale(), MondayOf(day));
}

void PrintTitle(const Instance& instance, Printer& printer, DateTime day, int view) {
    const std::string title = Title(instance, day, view);
    printer.SetCurrentX((page::kTitleCentreWidth - printer.TextWidth(title)) / 2);
    printer.SetCurrentY(page::kTitleY);
    printer.Print(title);
}

void PrintTable(Printer& printer, int view) {
    using namespace page;
    printer.SetDrawWidth(kFrameWidth);
    printer.Box(kLeft, kTop, kRight, kBottom);
    printer.SetDrawWidth(kInnerLineWidth);
    if (view == agMonat) {
        for (int i = 1; i <= 6; ++i) printer.Line(kLeft, kBottom - kMonthRowHeight * i, kRight, kBottom - kMonthRowHeight * i);
    } else {
        printer.Line(kLeft, kHeaderBottom, kRight, kHeaderBottom);
    }
    for (int i = 1; i <= 6; ++i) printer.Line(kLeft + kColumnWidth * i, kTop, kLeft + kColumnWidth * i, kBottom);
}

void PrintWeekdayNames(const Instance& instance, Printer& printer) {
    for (int i = 1; i <= 7; ++i) {
        const std::string name = instance.locale().WeekdayName(i, true);
        printer.SetCurrentX((page::kColumnWidth - printer.TextWidth(name)) / 2 + page::kColumnWidth * (i - 1) + page::kLeft);
        printer.SetCurrentY(page::kWeekdayNamesY);
        printer.SetForeColor(i <= 5 ? kBlack : kRed);
        printer.Print(name);
    }
}

void PrintDayNumber(const State& s, Printer& printer, DateTime date, int number, int row, int col) {
    printer.SetCurrentY(page::kHeaderBottom + page::kMonthRowHeight * (row - 1));
    printer.SetCurrentX(page::kLeft + page::kColumnWidth * col + page::kCellIndent);
    printer.SetForeColor(col <= 4 ? kBlack : kRed);
    const std::string name = s.PublicHoliday ? HolidayName(date) : std::string();
    if (name.empty()) printer.Print(std::to_string(number));
    else printer.Print(FitText(printer, std::to_string(number) + " " + name));
}

void PrintDayNumbers(const State& s, Printer& printer, DateTime day, int view) {
    if (view != agMonat) {
        const DateTime monday = MondayOf(day);
        for (int c = 0; c < 7; ++c) {
            const DateTime date = dt::AddDays(monday, c);
            PrintDayNumber(s, printer, date, dt::Day(date), 1, c);
        }
        return;
    }
    const DateTime first = dt::FromYmd(dt::Year(day), dt::Month(day), 1);
    const int days = dt::DaysInMonth(dt::Year(day), dt::Month(day));
    for (int k = 1; k <= days; ++k) {
        const DateTime date = dt::AddDays(first, k - 1);
        const SheetCell cell = MonthCellOf(date);
        PrintDayNumber(s, printer, date, k, cell.row, cell.col);
    }
}

void PrintFootnote(const State& s, Printer& printer) {
    printer.SetFontSize(8);
    printer.SetCurrentX((page::kFootnoteCentreWidth - printer.TextWidth(s.Footnote)) / 2);
    printer.SetCurrentY(page::kFootnoteY);
    printer.SetForeColor(kBlack);
    printer.Print(s.Footnote);
}

void PrintOnePage(Instance& instance, Printer& printer, DateTime day, int view) {
    const State& s = instance.state;
    printer.SetFontName(FontFace(s));
    printer.SetFontSize(14);
    printer.SetFontBold(true);
    PrintTitle(instance, printer, day, view);
    PrintTable(printer, view);
    PrintWeekdayNames(instance, printer);
    printer.SetFontBold(false);
    printer.SetFontSize(10);
    PrintDayNumbers(s, printer, day, view);
    PrintFootnote(s, printer);
    PrintDates(instance, printer, day, view);
}

} // namespace

int PrintView(std::optional<std::int16_t> intView, std::int16_t View) {
    return intView.value_or(View) == agMonat ? agMonat : agWoche;
}

std::string FitText(const Printer& printer, const std::string& text) {
    std::size_t fits = 0;  // bytes of the longest beginning known to fit
    while (fits < text.size()) {
        const std::size_t next = std::min(text.size(), fits + SequenceLength(static_cast<unsigned char>(text[fits])));
        if (printer.TextWidth(text.substr(0, next)) >= page::kCellTextWidth) return text.substr(0, fits);
        fits = next;
    }
    return text;
}

bool PrintPage(Instance& instance, DateTime day, int view) {
    std::unique_ptr<Printer> printer;
    try {
        if (!instance.ui.OpenPrinter) throw Error(kNoPrinter);
        printer = instance.ui.OpenPrinter();
        if (!printer) throw Error(kNoPrinter);
        printer->StartDoc(PageOrientation::Landscape);
        PrintOnePage(instance, *printer, day, view);
        printer->EndDoc();
        return true;
    } catch (const std::exception& e) {
        // A begun page must neither reach the printer later nor start the
        // next print run: the person is told it failed, so nothing of it may
        // come out.
        if (printer) printer->KillDoc();
        ShowErrorBox(instance, 3, e.what());
        return false;
    }
}

} // namespace agendor
