// The printed sheet on the recording printer: where the title, the table,
// the day numbers, the footnote and the appointments stand, in cm, and what
// a failing print run leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "agendor/control/instance_access.h"
#include "agendor/platform/memory/printer.h"
#include "agendor/printing/print_sheet.h"
#include "tests/core/appointment_fixture.h"

namespace agendor {
namespace {

using memory::PrinterOperation;
using testing::AppointmentFixture;
using testing::At;

constexpr double kEps = 1e-9;
// Memory printer metrics: 0.19 cm per character and 0.45 cm per line at 8 points.
double Width(const std::string& text, double points) { return 0.19 * double(text.size()) * points / 8; }

struct PrintFixture : AppointmentFixture, ::testing::Test {
    std::shared_ptr<memory::PrinterLog> log = surface.PrinterOutput();

    void Print(DateTime day, std::optional<std::int16_t> view) {
        control.SetDateValue(day);
        control.PrintSheet(view);
    }
    // The texts of the last sent page.
    std::vector<PrinterOperation> Page() const {
        std::vector<PrinterOperation> texts;
        if (log->sent.empty()) return texts;
        for (const PrinterOperation& op : log->sent.back())
            if (op.kind == PrinterOperation::Text) texts.push_back(op);
        return texts;
    }
    std::optional<PrinterOperation> Find(const std::string& text) const {
        for (const PrinterOperation& op : Page())
            if (op.text == text) return op;
        return std::nullopt;
    }
    // The day-number texts (size 10) of a cell, by its top line and column.
    std::vector<std::string> CellTexts(int row, int col) const {
        std::vector<std::string> texts;
        for (const PrinterOperation& op : Page()) {
            if (op.fontSize != 10) continue;
            if (std::abs(op.y - (3.5 + 2.5 * (row - 1))) < kEps && std::abs(op.x - (1.1 + 3.8 * col)) < kEps)
                texts.push_back(op.text);
        }
        return texts;
    }
    // A text of the page where it belongs (x, y in cm), in its font and colour.
    void ExpectText(const std::string& text, double x, double y, double points, bool bold, Colour colour) const {
        const auto op = Find(text);
        ASSERT_TRUE(op) << text;
        EXPECT_NEAR(op->x, x, kEps) << text;
        EXPECT_NEAR(op->y, y, kEps) << text;
        EXPECT_EQ(std::tuple(op->fontSize, op->bold, op->colour), std::tuple(points, bold, colour)) << text;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const Message& m : messages()) texts.push_back(m.text);
        return texts;
    }
};

TEST_F(PrintFixture, MonthPageHasTitleTableWeekdaysAndFootnote) {
    control.SetFootnote("Praxis Dr. Albers");
    Print(At(2001, 11, 14), agMonat);
    ASSERT_EQ(log->sent.size(), 1u);
    EXPECT_TRUE(Messages().empty());

    ExpectText("November 2001", (29.7 - Width("November 2001", 14)) / 2, 1.8, 14, true, kBlack);

    const auto boxes = log->Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::vector<double>({boxes[0].x, boxes[0].y, boxes[0].x2, boxes[0].y2, double(boxes[0].drawWidth)}),
              std::vector<double>({1.0, 2.5, 27.6, 18.5, 5}));
    const auto lines = log->Lines();
    ASSERT_EQ(lines.size(), 12u);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(lines[i].y, 18.5 - 2.5 * (i + 1), kEps);  // rows, bottom up, the last under the weekdays
        EXPECT_EQ(std::tuple(lines[i].x, lines[i].x2, lines[i].y2, lines[i].drawWidth),
                  std::tuple(1.0, 27.6, lines[i].y, 1));
        EXPECT_NEAR(lines[6 + i].x, 1.0 + 3.8 * (i + 1), kEps);  // columns
        EXPECT_EQ(std::tuple(lines[6 + i].x2, lines[6 + i].y, lines[6 + i].y2, lines[6 + i].drawWidth),
                  std::tuple(lines[6 + i].x, 2.5, 18.5, 1));
    }

    const char* names[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    for (int i = 0; i < 7; ++i)
        ExpectText(names[i], (3.8 - Width(names[i], 14)) / 2 + 3.8 * i + 1.0, 2.7, 14, true, i < 5 ? kBlack : kRed);
    ExpectText("Praxis Dr. Albers", (30.0 - Width("Praxis Dr. Albers", 8)) / 2, 19.0, 8, false, kBlack);
}

// Where the day numbers of a sheet stand: (row, column, texts) of chosen cells.
TEST_F(PrintFixture, DayNumbersStandInTheirCells) {
    struct Cell {
        int row, col;
        std::vector<std::string> texts;
        Colour colour;
    };
    const struct {
        const char* name;
        DateTime day;
        int view;
        const char* title;
        std::vector<Cell> cells;
    } cases[] = {

        // February 2010: 28 days from a Monday fill four rows; 5 and 6 stay empty.
        {"FebruaryOfFourRows", At(2010, 2, 10), agMonat, "Februar 2010",
                    {{1, 0, {"1"}, kBlack}, {4, 6, {"28"}, kRed}, {5, 0, {}, kBlack}, {6, 0, {}, kBlack}}},
        // July 2001 begins on a Sunday: the 1st in column 6 of row 1, the 31st in row 6.
        {"MonthFromASunday", At(2001, 7, 1), agMonat, "Juli 2001",
                    {{1, 0, {}, kBlack}, {1, 6, {"1"}, kRed}, {2, 0, {"2"}, kBlack}, {6, 1, {"31"}, kBlack}}},
        // 29 Oct ... 4 Nov 2001: each number is its own date's day of month.
        {"WeekAcrossTwoMonths", At(2001, 11, 1), agWoche, "Okt / Nov 2001, 44.KW",
                    {{1, 0, {"29"}, kBlack}, {1, 2, {"31"}, kBlack},
                     {1, 3, {"1 Allerheiligen"}, kBlack}, {1, 6, {"4"}, kRed}}},
        // A holiday name too long for the cell is cut; the day number stays.
        {"LongHolidayName", At(2001, 10, 3), agWoche, "Oktober 2001, 40.KW",
                    {{1, 2, {"3 Tag der dt. E"}, kBlack}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Print(c.day, c.view);
        EXPECT_TRUE(Find(c.title)) << c.title;
        for (const auto& cell : c.cells) {
            SCOPED_TRACE(std::to_string(cell.row) + "/" + std::to_string(cell.col));
            EXPECT_EQ(CellTexts(cell.row, cell.col), cell.texts);
            if (!cell.texts.empty()) {
                EXPECT_EQ(Find(cell.texts[0])->colour, cell.colour);
            }
        }
        int dayNumbers = 0;
        for (const PrinterOperation& op : Page()) dayNumbers += op.fontSize == 10;
        EXPECT_EQ(dayNumbers, c.view == agMonat ? dt::DaysInMonth(dt::Year(c.day), dt::Month(c.day)) : 7);
    }
    // Holidays off: the numbers alone.
    control.SetPublicHoliday(false);
    Print(At(2001, 10, 3), agWoche);
    EXPECT_EQ(CellTexts(1, 2), std::vector<std::string>{"3"});
}

// Thursday 15 Nov 2001 (row 3, column 3) holds four lines of 0.45 cm below
// its 0.4 cm; above the asterisks three. Four fit without asterisks, five
// leave one out, six show the asterisks once.
TEST_F(PrintFixture, AsterisksOnceAndOnlyWhenAnAppointmentIsLeftOut) {
    const std::string stars(18, '*');  // 18 × 0.19 cm is the most under 3.6 cm
    const std::vector<std::string> fourLines = {"08:00 Meier", "09:00 Meier", "10:00 Meier", "11:00 Meier"},
                                   withStars = {"08:00 Meier", "09:00 Meier", "10:00 Meier", stars};
    for (const auto& [count, expected] : {std::pair{4, fourLines}, {5, withStars}, {6, withStars}}) {
        SCOPED_TRACE(count);
        appointments.clear();
        for (int i = 0; i < count; ++i) appointments.push_back({i + 1, At(2001, 11, 15, 8 + i), "Meier"});
        appointments.push_back({20, At(2001, 11, 16, 0, 0), "Müller-Lüdenscheidt"});
        Print(At(2001, 11, 14), agMonat);
        std::vector<std::string> column3;
        const double top = 3.5 + 2.5 * 2, bottom = top + 2.5;
        for (const PrinterOperation& op : Page()) {
            if (std::abs(op.x - (1.1 + 3.8 * 3)) >= kEps || op.fontSize != 8) continue;
            column3.push_back(op.text);
            const bool asterisks = op.text.find('*') != std::string::npos;
            EXPECT_EQ(op.colour, asterisks ? kRed : kBlack) << op.text;
            EXPECT_EQ(op.bold, asterisks) << op.text;
            // Line by line from 0.4 cm below the top; the asterisks at the
            // foot, under the last line, never over it.
            EXPECT_NEAR(op.y, asterisks ? bottom - 0.45 : top + 0.4 + 0.45 * double(column3.size() - 1), kEps)
                << op.text;
        }
        EXPECT_EQ(column3, expected);
        // Midnight has zero hours; a long name is cut after whole characters.
        ExpectText("00:00 Müller-Lüden", 1.1 + 3.8 * 4, top + 0.4, 8, false, kBlack);
    }
}

std::string Repeated(const std::string& part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += part;
    return text;
}

// FitText on the recording printer (8 points: 18 characters fit): the cut
// at whole characters, and a bound on what it measures (bytes handed to
// TextWidth): a text no cell would hold is capped before it is measured.
TEST(FitText, CutsAtWholeCharactersWithBoundedWork) {
    const struct {
        std::string text;
        double points;
        std::string fitted;
    } cases[] = {
        {"", 8, ""},
        {"08:00 Meier", 8, "08:00 Meier"},
        {std::string(30, 'a'), 8, std::string(18, 'a')},
        // u and its diaeresis (U+0308) are one character: both go.
        {std::string(17, 'a') + "u\u0308bc", 8, std::string(17, 'a')},
        {std::string(17, 'a') + "\U0001F1E9\U0001F1EA", 8, std::string(17, 'a')},
        {std::string(100000, 'a'), 0.01, std::string(1200, 'a')},
        {"e" + Repeated("\u0301", 6000), 0.01, "e" + Repeated("\u0301", 599)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        memory::MemoryPrinter printer;
        printer.SetFontSize(c.points);
        EXPECT_EQ(FitText(printer, c.text), c.fitted);
        EXPECT_LE(printer.Log()->measuredBytes, 20000u);
    }
}

TEST_F(PrintFixture, ControlCharactersPrintAsBlanksAndTheFootnoteFitsThePage) {
    appointments = {{1, At(2001, 11, 15, 8), "Mei\ter\r\nSchulze\nSchmidt"}};
    control.SetFootnote("Praxis\nDr. " + std::string(200, 'x'));
    Print(At(2001, 11, 14), agMonat);
    EXPECT_TRUE(Find("08:00 Mei er  Schu"));
    for (const PrinterOperation& op : Page()) EXPECT_EQ(op.text.find_first_of("\r\n\t"), std::string::npos) << op.text;
    // 132 × 0.19 cm is the most under 25.2 cm: centred on 15.0 it ends at the table's right edge.
    const std::string footnote = "Praxis Dr. " + std::string(121, 'x');
    ExpectText(footnote, (30.0 - Width(footnote, 8)) / 2, 19.0, 8, false, kBlack);
    EXPECT_GE((30.0 - Width(footnote, 8)) / 2, 1.0);
}

TEST_F(PrintFixture, PrintSheetChoosesTheViewFromItsArgument) {
    struct Case {
        std::int16_t shown;
        std::optional<std::int16_t> argument;
        const char* title;
    } cases[] = {{agMonat, std::nullopt, "November 2001"},
                 {agWoche, std::nullopt, "November 2001, 46.KW"},
                 {agWoche, 2, "November 2001"},
                 {agMonat, 0, "November 2001, 46.KW"},
                 {agMonat, 1, "November 2001, 46.KW"},
                 {agMonat, 7, "November 2001, 46.KW"}};
    for (const Case& c : cases) {
        state().View = c.shown;
        Print(At(2001, 11, 14), c.argument);
        EXPECT_TRUE(Find(c.title)) << c.title;
    }
    EXPECT_EQ(log->sent.size(), std::size(cases));
}

TEST_F(PrintFixture, AppointmentsPrintWhatTheScreenShows) {
    // The persons' name field is no field of the appointments: the printed
    // person comes from the appointment's own person field, as on the sheet.
    control.SetFieldSourcePerson("Nachname");
    appointments = {{1, At(2001, 11, 12, 9, 30), "Albers"}, {2, std::nullopt, "Meier"}, {3, At(2001, 11, 13, 10), std::nullopt}};
    Print(At(2001, 11, 14), agWoche);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(Find("09:30 Albers"));
    EXPECT_TRUE(Find("10:00 "));
    EXPECT_EQ(queries().back(),
              "SELECT *  From Termine WHERE (((Termine.Datum)>=#11/12/2001# And (Termine.Datum)<#11/19/2001#)) "
              "ORDER BY Termine.Datum");
    // Without FieldDatesDateID nothing of the appointments is printed.
    control.SetFieldDatesDateID("");
    Print(At(2001, 11, 14), agWoche);
    EXPECT_FALSE(Find("09:30 Albers"));
}

TEST_F(PrintFixture, FailuresShowTheirBoxAndNeverSendAHalfPage) {
    surface.SetPrinterFailure("Kein Drucker installiert");
    Print(At(2001, 11, 14), agMonat);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Agendor-Fehlercode 3\r\nKein Drucker installiert"});
    surface.SetPrinterFailure(std::nullopt);

    // The paper jams at Wednesday's name: the begun page is thrown away and
    // does not join the next print run.
    log->failOnText = "Mi";
    Print(At(2001, 11, 14), agMonat);
    EXPECT_EQ(Messages().back(), "Agendor-Fehlercode 3\r\nPapierstau");
    EXPECT_TRUE(log->sent.empty());
    log->failOnText.reset();
    Print(At(2001, 11, 14), agWoche);
    ASSERT_EQ(log->sent.size(), 1u);
    EXPECT_TRUE(Find("November 2001, 46.KW"));
    EXPECT_FALSE(Find("November 2001"));
    EXPECT_EQ(Messages().size(), 2u);

    // A failing query: the appointments' box, and the sheet is still sent.
    control.SetDataSourceDates("Terminliste");
    database->SetResponder([](const std::string&) -> memory::Rows { throw Error("Tabelle Terminliste fehlt"); });
    Print(At(2001, 11, 14), agMonat);
    EXPECT_EQ(Messages().back(), "Agendor-Fehlercode 5\r\nTabelle Terminliste fehlt");
    ASSERT_EQ(log->sent.size(), 2u);
    EXPECT_EQ(CellTexts(3, 3), std::vector<std::string>{"15"});

    // The printer fails on an appointment's line: that is no error of the
    // data, and the half page is thrown away like any other.
    control.SetDataSourceDates("Termine");
    database->SetResponder([this](const std::string& text) { return Answer(text); });
    appointments = {{1, At(2001, 11, 15, 8), "Meier"}};
    log->failOnText = "08:00 Meier";
    Print(At(2001, 11, 14), agMonat);
    EXPECT_EQ(Messages().back(), "Agendor-Fehlercode 3\r\nPapierstau");
    EXPECT_EQ(log->sent.size(), 2u);
    EXPECT_FALSE(log->open);
}

// That a range's pages are the single prints, page for page, and its title
// are checked on the Qt printer (MayTest); here the ranges and failures.
TEST_F(PrintFixture, PrintPagesPrintsEverySheetOfTheRangeAsOneDocument) {
    ASSERT_TRUE(PrintPages(InstanceOf(control), At(2027, 5, 20), At(2027, 7, 2), agMonat));
    ASSERT_EQ(log->sent.size(), 1u);
    EXPECT_EQ(memory::PrinterLog::Pages(log->sent.back()).size(), 3u);
    // Weeks: each Monday the range touches, Sunday 3 to Monday 11 January 2027.
    ASSERT_TRUE(PrintPages(InstanceOf(control), At(2027, 1, 3), At(2027, 1, 11), agWoche));
    EXPECT_EQ(memory::PrinterLog::Pages(log->sent.back()).size(), 3u);
    EXPECT_EQ(log->operations[log->operations.size() - 1].kind, PrinterOperation::EndDoc);
    EXPECT_TRUE(Messages().empty());

    // A failure on the second page sends none; a range backwards or too long
    // shows its box and opens no printer.
    log->failOnText = "Juni 2027";
    EXPECT_FALSE(PrintPages(InstanceOf(control), At(2027, 5, 1), At(2027, 7, 1), agMonat));
    log->failOnText.reset();
    const int opened = log->printersOpened;
    EXPECT_FALSE(PrintPages(InstanceOf(control), At(2027, 7, 1), At(2027, 5, 1), agMonat));
    EXPECT_FALSE(PrintPages(InstanceOf(control), At(2017, 1, 1), At(2027, 1, 1), agMonat));
    EXPECT_EQ(log->printersOpened, opened);
    EXPECT_EQ(log->sent.size(), 2u);
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Agendor-Fehlercode 3\r\nPapierstau",
                              "Agendor-Fehlercode 3\r\nDas Ende des Zeitraums liegt vor seinem Anfang",
                              "Agendor-Fehlercode 3\r\nEin Druckauftrag umfasst höchstens 120 Blätter"}));
}

} // namespace
} // namespace agendor
