#include "agendor/printing/print_sheet.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "agendor/core/conventions.h"
#include "agendor/data/printable_text.h"
#include "agendor/core/date_time.h"
#include "agendor/printing/print_dates.h"
#include "agendor/sheet/holidays.h"
#include "agendor/sheet/sheet_model.h"
#include "agendor/sheet/sheets.h"

namespace agendor {

namespace {

constexpr const char* kNoPrinter = "Kein Drucker installiert";
// One print run holds at most this many sheets (four years of months, a year
// of weeks and more), so that a mistyped range cannot keep the host busy
// for hours.
constexpr std::size_t kMostSheets = 120;
// FitText looks at no more than this many bytes of a text: the page is
// narrower than 300 characters of any size the sheet prints, so the rest is
// cut anyway and need not be measured.
constexpr std::size_t kMostFittedBytes = 1200;

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
    const std::string footnote = FitText(printer, PrintableText(s.Footnote), page::kFootnoteWidth);
    printer.SetCurrentX((page::kFootnoteCentreWidth - printer.TextWidth(footnote)) / 2);
    printer.SetCurrentY(page::kFootnoteY);
    printer.SetForeColor(kBlack);
    printer.Print(footnote);
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

std::string FitText(const Printer& printer, const std::string& text, double width) {
    if (text.empty()) return text;
    const bool capped = text.size() > kMostFittedBytes;
    if (!capped && printer.TextWidth(text) < width) return text;
    const std::string head = capped ? text.substr(0, Utf8CharacterStart(text, kMostFittedBytes)) : text;
    std::vector<std::size_t> ends;
    if (capped) {
        // The characters of the head are those that end within it; a little
        // more of the text tells whether the cap split the last one.
        const std::string look = text.substr(0, Utf8CharacterStart(text, std::min(text.size(), kMostFittedBytes + 64)));
        for (std::size_t end : printer.CharacterEnds(look))
            if (end <= head.size()) ends.push_back(end);
    } else {
        ends = printer.CharacterEnds(head);
    }
    // A head of less than one character (a letter under hundreds of marks)
    // is no character a person reads; it is cut where the cap fell.
    if (ends.empty()) ends.push_back(head.size());
    // Halving: the first fits characters are known to fit, more than most
    // do not; a longer beginning is never narrower.
    std::size_t fits = 0, most = capped ? ends.size() : ends.size() - 1;
    while (fits < most) {
        const std::size_t middle = (fits + most + 1) / 2;
        if (printer.TextWidth(head.substr(0, ends[middle - 1])) < width) fits = middle;
        else most = middle - 1;
    }
    return head.substr(0, fits == 0 ? 0 : ends[fits - 1]);
}

std::vector<DateTime> SheetDays(DateTime from, DateTime to, int view) {
    std::vector<DateTime> days;
    if (to < from) return days;
    if (view == agMonat) {
        const int last = dt::Year(to) * 12 + dt::Month(to);
        for (int m = dt::Year(from) * 12 + dt::Month(from); m <= last && days.size() <= kMostSheets; ++m)
            days.push_back(dt::FromYmd((m - 1) / 12, (m - 1) % 12 + 1, 1));
    } else {
        const long last = dt::DayNumber(MondayOf(to));
        for (long d = dt::DayNumber(MondayOf(from)); d <= last && days.size() <= kMostSheets; d += 7)
            days.push_back(dt::Compose(d, 0));
    }
    return days;
}

bool PrintPages(Instance& instance, DateTime from, DateTime to, int view) {
    std::unique_ptr<Printer> printer;
    try {
        if (to < from) throw Error("Das Ende des Zeitraums liegt vor seinem Anfang");
        const std::vector<DateTime> days = SheetDays(from, to, view);
        if (days.size() > kMostSheets)
            throw Error("Ein Druckauftrag umfasst höchstens " + std::to_string(kMostSheets) + " Blätter");
        if (!instance.ui.OpenPrinter) throw Error(kNoPrinter);
        printer = instance.ui.OpenPrinter();
        if (!printer) throw Error(kNoPrinter);
        std::string title = "Termine " + Title(instance, days.front(), view);
        if (days.size() > 1) title += " – " + Title(instance, days.back(), view);
        printer->SetDocumentTitle(title);
        printer->StartDoc(PageOrientation::Landscape);
        for (std::size_t i = 0; i < days.size(); ++i) {
            if (i > 0) printer->NewPage();
            PrintOnePage(instance, *printer, days[i], view);
        }
        printer->EndDoc();
        return true;
    } catch (const std::exception& e) {
        // A begun document must neither reach the printer later nor start
        // the next print run: the person is told it failed, so nothing of it
        // may come out, not even its finished pages.
        if (printer) printer->KillDoc();
        ShowErrorBox(instance, kSheetPrintError, e.what());
        return false;
    }
}

bool PrintPage(Instance& instance, DateTime day, int view) { return PrintPages(instance, day, day, view); }

} // namespace agendor
