// The printed sheet on the recording printer: where the title, the table,
// the day numbers, the footnote and the appointments stand, in cm, and what
// a failing print run leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

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

    const auto title = Find("November 2001");
    ASSERT_TRUE(title);
    EXPECT_NEAR(title->x, (29.7 - Width("November 2001", 14)) / 2, kEps);
    EXPECT_NEAR(title->y, 1.8, kEps);
    EXPECT_EQ(title->fontSize, 14);
    EXPECT_TRUE(title->bold);

    const auto boxes = log->Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::vector<double>({boxes[0].x, boxes[0].y, boxes[0].x2, boxes[0].y2}),
              std::vector<double>({1.0, 2.5, 27.6, 18.5}));
    EXPECT_EQ(boxes[0].drawWidth, 5);
    const auto lines = log->Lines();
    ASSERT_EQ(lines.size(), 12u);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(lines[i].y, 18.5 - 2.5 * (i + 1), kEps);  // rows, bottom up, the last under the weekdays
        EXPECT_EQ(lines[i].y2, lines[i].y);
        EXPECT_EQ(std::pair(lines[i].x, lines[i].x2), std::pair(1.0, 27.6));
        EXPECT_NEAR(lines[6 + i].x, 1.0 + 3.8 * (i + 1), kEps);  // columns
        EXPECT_EQ(std::pair(lines[6 + i].y, lines[6 + i].y2), std::pair(2.5, 18.5));
        EXPECT_EQ(lines[i].drawWidth, 1);
        EXPECT_EQ(lines[6 + i].drawWidth, 1);
    }

    const char* names[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    for (int i = 0; i < 7; ++i) {
        const auto name = Find(names[i]);
        ASSERT_TRUE(name) << names[i];
        EXPECT_NEAR(name->x, (3.8 - Width(names[i], 14)) / 2 + 3.8 * i + 1.0, kEps) << names[i];
        EXPECT_NEAR(name->y, 2.7, kEps);
        EXPECT_TRUE(name->bold);
        EXPECT_EQ(name->colour, i < 5 ? kBlack : kRed) << names[i];
    }

    const auto footnote = Find("Praxis Dr. Albers");
    ASSERT_TRUE(footnote);
    EXPECT_NEAR(footnote->x, (30.0 - Width("Praxis Dr. Albers", 8)) / 2, kEps);
    EXPECT_NEAR(footnote->y, 19.0, kEps);
    EXPECT_EQ(footnote->fontSize, 8);
    EXPECT_FALSE(footnote->bold);
    EXPECT_EQ(footnote->colour, kBlack);
}

// Where the day numbers of a sheet stand: (row, column, texts) of chosen cells.
struct DayCellCase {
    const char* name;
    DateTime day;
    int view;
    const char* title;
    struct Cell {
        int row, col;
        std::vector<std::string> texts;
        Colour colour;
    };
    std::vector<Cell> cells;
};

void PrintTo(const DayCellCase& c, std::ostream* os) { *os << c.name; }

struct DayCells : PrintFixture, ::testing::WithParamInterface<DayCellCase> {};

TEST_P(DayCells, StandInTheirCells) {
    const DayCellCase& c = GetParam();
    Print(c.day, c.view);
    EXPECT_TRUE(Find(c.title)) << c.title;
    for (const auto& cell : c.cells) {
        SCOPED_TRACE(std::to_string(cell.row) + "/" + std::to_string(cell.col));
        EXPECT_EQ(CellTexts(cell.row, cell.col), cell.texts);
        for (const PrinterOperation& op : Page()) {
            if (!cell.texts.empty() && op.text == cell.texts[0]) {
                EXPECT_EQ(op.colour, cell.colour);
            }
        }
    }
    int dayNumbers = 0;
    for (const PrinterOperation& op : Page()) dayNumbers += op.fontSize == 10;
    EXPECT_EQ(dayNumbers, c.view == agMonat ? dt::DaysInMonth(dt::Year(c.day), dt::Month(c.day)) : 7);
}

INSTANTIATE_TEST_SUITE_P(
    Printing, DayCells,
    ::testing::Values(
        // February 2010: 28 days from a Monday fill four rows; 5 and 6 stay empty.
        DayCellCase{"FebruaryOfFourRows", At(2010, 2, 10), agMonat, "Februar 2010",
                    {{1, 0, {"1"}, kBlack}, {4, 6, {"28"}, kRed}, {5, 0, {}, kBlack}, {6, 0, {}, kBlack}}},
        // July 2001 begins on a Sunday: the 1st in column 6 of row 1, the 31st in row 6.
        DayCellCase{"MonthFromASunday", At(2001, 7, 1), agMonat, "Juli 2001",
                    {{1, 0, {}, kBlack}, {1, 6, {"1"}, kRed}, {2, 0, {"2"}, kBlack}, {6, 1, {"31"}, kBlack}}},
        // 29 Oct ... 4 Nov 2001: each number is its own date's day of month.
        DayCellCase{"WeekAcrossTwoMonths", At(2001, 11, 1), agWoche, "Okt / Nov 2001, 44.KW",
                    {{1, 0, {"29"}, kBlack}, {1, 2, {"31"}, kBlack},
                     {1, 3, {"1 Allerheiligen"}, kBlack}, {1, 6, {"4"}, kRed}}},
        // A holiday name too long for the cell is cut; the day number stays.
        DayCellCase{"LongHolidayName", At(2001, 10, 3), agWoche, "Oktober 2001, 40.KW",
                    {{1, 2, {"3 Tag der dt. E"}, kBlack}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintFixture, HolidaysOffPrintsNumbersAlone) {
    control.SetPublicHoliday(false);
    Print(At(2001, 10, 3), agWoche);
    EXPECT_EQ(CellTexts(1, 2), std::vector<std::string>{"3"});
}

TEST_F(PrintFixture, AppointmentsStandLineByLineAndOverflowIntoRedAsterisks) {
    // Thursday 15 Nov 2001 (row 3, column 3): three lines, then every further
    // appointment shows the asterisks at the cell's foot.
    for (int i = 0; i < 6; ++i) appointments.push_back({i + 1, At(2001, 11, 15, 8 + i), "Meier"});
    appointments.push_back({20, At(2001, 11, 16, 0, 0), "Müller-Lüdenscheidt"});
    Print(At(2001, 11, 14), agMonat);
    std::vector<std::pair<std::string, double>> column3;
    for (const PrinterOperation& op : Page()) {
        if (std::abs(op.x - (1.1 + 3.8 * 3)) < kEps && op.fontSize == 8) column3.emplace_back(op.text, op.y);
        if (op.text.find('*') != std::string::npos) {
            EXPECT_EQ(op.colour, kRed);
            EXPECT_TRUE(op.bold);
        }
    }
    const double top = 3.5 + 2.5 * 2, bottom = top + 2.5;
    // No appointment line runs into the asterisks: they must not strike it through.
    for (const auto& [text, y] : column3) {
        if (text.find('*') == std::string::npos) {
            EXPECT_LE(y + 0.45, bottom - 0.45 + kEps) << text;
        }
    }
    const std::string stars(18, '*');  // 18 × 0.19 cm is the most under 3.6 cm
    const std::vector<std::pair<std::string, double>> expected = {
        {"08:00 Meier", top + 0.4}, {"09:00 Meier", top + 0.85}, {"10:00 Meier", top + 1.3},
        {stars, bottom - 0.45},     {stars, bottom - 0.45},      {stars, bottom - 0.45}};
    ASSERT_EQ(column3.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(column3[i].first, expected[i].first) << i;
        EXPECT_NEAR(column3[i].second, expected[i].second, kEps) << i;
    }
    // Midnight has zero hours; a long name is cut after whole characters.
    const auto midnight = Find("00:00 Müller-Lüden");
    ASSERT_TRUE(midnight);
    EXPECT_NEAR(midnight->x, 1.1 + 3.8 * 4, kEps);
    EXPECT_NEAR(midnight->y, top + 0.4, kEps);
    EXPECT_EQ(midnight->colour, kBlack);
    EXPECT_FALSE(midnight->bold);
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
    // No printer at all.
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
}

} // namespace
} // namespace agendor
