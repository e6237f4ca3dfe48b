// The week and the month sheet: which day stands in which cell, the labels,
// the colours of weekends, past days, today and empty cells, the named days
// behind the day numbers, and what a build resets (markers, Redraw, today).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/control/instance_access.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/sheet/sheet_model.h"
#include "agendor/sheet/sheets.h"

namespace agendor {
namespace {

using memory::MemorySurface;
using Texts = std::vector<std::string>;

constexpr Colour kRed = 0x0000FF;    // RGB 255, 0, 0
constexpr Colour kBlue = 0xFF0000;   // RGB 0, 0, 255
constexpr Colour kBlack = 0;
// Distinct from the defaults, so a test sees that the properties are used.
constexpr Colour kBack = 0xF0F8FF;
constexpr Colour kPast = 0x404040;

DateTime Date(int year, int month, int day) { return dt::FromYmd(year, month, day); }

struct SheetFixture : ::testing::Test {
    MemorySurface ui;
    Agendor control{ui.surface()};

    void SetUp() override {
        control.InitProperties();
        control.Resize(8175, 7185);
        control.SetBackColor(kBack);
        control.SetBackcolorPast(kPast);
    }
    Instance& in() { return InstanceOf(control); }
    State& s() { return InstanceOf(control).state; }
    // Noon, so the date alone decides what is past.
    void SetToday(DateTime day) { ui.clock.SetNow(day + 0.5); }
    std::string Cell(int row, int col) { return ui.Grid.TextMatrix(row, col); }
    Texts Cells(int row, int from, int to) {
        Texts texts;
        for (int col = from; col <= to; ++col) texts.push_back(Cell(row, col));
        return texts;
    }
    Colour Back(int row, int col) { return ui.Grid.CellBackColor(row, col); }
    Colour Fore(int row, int col) { return ui.Grid.CellForeColor(row, col); }
    void Week(DateTime d) { BuildWeekSheet(in(), d); }
    void Month(DateTime d) { BuildMonthSheet(in(), d); }
    Colour WeekdayFore(int col) { return col >= 5 ? kRed : kBlack; }
};

// Months from a Monday, from a Sunday, reaching row 6, of four rows, of a
// leap year: every cell holds its day or nothing. The sheet is built for
// the month's last day in the evening: only its year and month count.
TEST_F(SheetFixture, EveryMonthCellHoldsItsDayOrNothing) {
    const struct {
        int year, month;
        int firstCol;  // column of day 1
        int days;
        const char* label;
    } months[] = {{2001, 10, 0, 31, "Oktober 2001"}, {2001, 4, 6, 30, "April 2001"}, {2004, 5, 5, 31, "Mai 2004"},
                  {2024, 12, 6, 31, "Dezember 2024"}, {2010, 2, 0, 28, "Februar 2010"}, {2024, 2, 3, 29, "Februar 2024"},
                  {2001, 3, 3, 31, "März 2001"}};
    s().PublicHoliday = false;
    SetToday(Date(2001, 11, 14));
    for (const auto& m : months) {
        Month(Date(m.year, m.month, m.days) + 0.75);
        ASSERT_EQ(ui.Grid.Rows(), 7);
        EXPECT_EQ(ui.lblMonat.Caption(), m.label);
        for (int row = 1; row <= 6; ++row) {
            for (int col = 0; col < 7; ++col) {
                const int k = (row - 1) * 7 + col - m.firstCol + 1;
                EXPECT_EQ(Cell(row, col), k >= 1 && k <= m.days ? std::to_string(k) : "")
                    << m.month << "/" << m.year << " cell (" << row << ", " << col << ")";
            }
        }
    }
}

TEST_F(SheetFixture, MonthRowsShareTheHeightTheLastTakesTheRemainderNoneIsNegative) {
    Month(Date(2001, 10, 1));
    // Grid height 6735 after the resize: (6735 - 400) / 6 = 1055.8 -> 1056.
    ASSERT_EQ(ui.Grid.Height(), 6735);
    for (int row = 1; row <= 5; ++row) EXPECT_EQ(ui.Grid.RowHeight(row), 1056) << row;
    // 6735 - (400 + 5 * 1056) - 15 (one pixel).
    EXPECT_EQ(ui.Grid.RowHeight(6), 1040);
    // The container made the control so low that the grid is lower than
    // its header row: no negative row heights.
    ui.Grid.SetHeight(300);
    EXPECT_NO_THROW(Month(Date(2001, 10, 1)));
    for (int row = 1; row <= 6; ++row) EXPECT_EQ(ui.Grid.RowHeight(row), 0) << row;
    EXPECT_EQ(Cell(5, 2), "31");
    EXPECT_NO_THROW(Week(Date(2001, 10, 1)));
    EXPECT_EQ(ui.Grid.RowHeight(1), 0);
}

TEST_F(SheetFixture, WeekSheetShowsMondayToSundayAndTheLabel) {
    const struct {
        DateTime date;
        std::vector<std::string> days;  // columns 0 ... 6
        std::string label;              // empty: the months and WeekNumber's week
        const char* labelMonths;        // the label before ", "
    } weeks[] = {
        {Date(2001, 3, 14), {"12", "13", "14", "15", "16", "17", "18"}, "März 2001, 11.KW", ""},
        // Sunday belongs to the Monday before.
        {Date(2001, 11, 11), {"5", "6", "7", "8", "9", "10", "11"}, "November 2001, 45.KW", ""},
        {Date(2001, 2, 26), {"26", "27", "28", "1", "2", "3", "4"}, "Feb / Mär 2001, 9.KW", ""},
        {Date(2009, 3, 1), {"23", "24", "25", "26", "27", "28", "1"}, "", "Feb / Mär 2009"},
        // Across the year: the later year.
        {Date(2003, 12, 29), {"29", "30", "31", "1", "2", "3", "4"}, "", "Dez / Jan 2004"},
        {Date(2001, 9, 30), {"24", "25", "26", "27", "28", "29", "30"}, "", "September 2001"},
        // The later month comes from a month step: 31 January + 1 month is
        // the end of February, still "Feb".
        {Date(2000, 1, 31), {"31", "1", "2", "3", "4", "5", "6"}, "", "Jan / Feb 2000"},
    };
    s().PublicHoliday = false;
    for (const auto& w : weeks) {
        SCOPED_TRACE(w.days[0]);
        Week(w.date);
        ASSERT_EQ(ui.Grid.Rows(), 2);
        EXPECT_EQ(Cells(1, 0, 6), w.days);
        // The row fills the grid but for one pixel (6735 - 400 - 15); the
        // current cell is left in the last column of the row.
        EXPECT_EQ(ui.Grid.RowHeight(1), 6320);
        EXPECT_EQ(std::pair(ui.Grid.Row(), ui.Grid.Col()), std::pair(1, 6));
        EXPECT_EQ(ui.lblMonat.Caption(), w.label.empty() ? std::string(w.labelMonths) + ", " +
                                                               std::to_string(WeekNumber(MondayOf(w.date))) + ".KW"
                                                         : w.label);
    }
}

// The backgrounds of a built sheet, one string per row from row 1: 'P' a
// past day's background, '.' the normal one, 'T' today (normal background,
// blue text). Every other cell has black text, red on Saturday and Sunday.
TEST_F(SheetFixture, ColoursShowPastDaysWeekendsAndToday) {
    const struct {
        const char* name;
        DateTime today;
        int view;
        DateTime date;
        std::vector<std::string> rows;
    } sheets[] = {

        {"WeekWithTodayOnASaturday", Date(2001, 3, 17), agWoche, Date(2001, 3, 14), {"PPPPPT."}},
        {"WeekWhollyPast", Date(2001, 3, 14), agWoche, Date(2001, 3, 5), {"PPPPPPP"}},
        {"WeekInTheFuture", Date(2001, 3, 11), agWoche, Date(2001, 3, 14), {"......."}},
        // November 2001 begins on a Thursday; its leading cells are past
        // once the month has begun, its trailing ones once 1 December is.
        {"CurrentMonth", Date(2001, 11, 14), agMonat, Date(2001, 11, 14),
                    {"PPPPPPP", "PPPPPPP", "PPT....", ".......", ".......", "......."}},
        {"TodayOnASundayInTheMonth", Date(2001, 11, 25), agMonat, Date(2001, 11, 1),
                    {"PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPT", ".......", "......."}},
        {"MonthWhollyInTheFuture", Date(2001, 10, 31), agMonat, Date(2001, 11, 1),
                    {".......", ".......", ".......", ".......", ".......", "......."}},
        {"MonthEndedBeforeYesterday", Date(2001, 11, 14), agMonat, Date(2001, 10, 1),
                    {"PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPP"}},
        {"TodayTheFirstOfTheNextMonth", Date(2001, 12, 1), agMonat, Date(2001, 11, 1),
                    {"PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPP..", "......."}},
        {"PastFebruaryInFourRows", Date(2010, 3, 2), agMonat, Date(2010, 2, 1),
                    {"PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPP"}},
        {"PastMonthReachingRowSix", Date(2004, 7, 1), agMonat, Date(2004, 5, 1),
                    {"PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPP", "PPPPPPP"}},
    };
    for (const auto& c : sheets) {
        SCOPED_TRACE(c.name);
        SetToday(c.today);
        // A sheet with today on it first: a later build must clear TodayOnSheet.
        Week(c.today);
        if (c.view == agMonat) Month(c.date);
        else Week(c.date);
        bool today = false;
        for (int row = 1; row <= static_cast<int>(c.rows.size()); ++row) {
            for (int col = 0; col < 7; ++col) {
                const char expected = c.rows[row - 1][col];
                EXPECT_EQ(Back(row, col), expected == 'P' ? kPast : kBack) << row << ", " << col;
                EXPECT_EQ(Fore(row, col), expected == 'T' ? kBlue : WeekdayFore(col)) << row << ", " << col;
                if (expected != 'T') continue;
                today = true;
                EXPECT_EQ(s().TodayRow, row);
                EXPECT_EQ(s().TodayCol, col);
            }
        }
        EXPECT_EQ(s().TodayOnSheet, today);
    }
}

TEST_F(SheetFixture, NamedDaysFollowTheDayNumberCutToTheColumnOrNotAtAll) {
    SetToday(Date(2001, 1, 1));
    // Column 1168 twips, limit 1168 - 150 = 1018: 11 characters of 90 twips.
    ASSERT_EQ(s().SheetColWidth, 1168);
    Week(Date(2001, 10, 3));
    EXPECT_EQ(Cells(1, 2, 3), (Texts{"3 Tag der d", "4"}));
    Month(Date(2001, 12, 1));
    // December 2001 begins on a Saturday.
    EXPECT_EQ(Cells(5, 0, 3), (Texts{"24 Hl. Aben", "25 1. Weihn", "26 2. Weihn", "27"}));
    EXPECT_EQ(Cell(6, 0), "31 Silveste");
    // Whole in a wide column, none when switched off.
    control.Resize(30000, 7185);
    Week(Date(2001, 10, 3));
    EXPECT_EQ(Cell(1, 2), "3 Tag der dt. Einheit");
    // 24 December 2006 is a Sunday: the fourth Advent wins over Christmas Eve.
    Month(Date(2006, 12, 1));
    EXPECT_EQ((Texts{Cell(4, 6), Cell(5, 0)}), (Texts{"24 4. Advent", "25 1. Weihnachtstag"}));
    control.SetPublicHoliday(false);
    Week(Date(2001, 10, 3));
    EXPECT_EQ(Cell(1, 2), "3");
    Month(Date(2006, 12, 1));
    EXPECT_EQ((Texts{Cell(4, 6), Cell(5, 0)}), (Texts{"24", "25"}));
}

TEST_F(SheetFixture, ANarrowColumnCutsOnlyTheName) {
    control.Resize(3150, 7185);
    const Twips limit = s().SheetColWidth - 150;
    // "25 " fits, "25 1" does not: the blank alone is not kept.
    ASSERT_GT(limit, 270);
    ASSERT_LE(limit, 360);
    Month(Date(2001, 12, 1));
    EXPECT_EQ(Cell(5, 1), "25");
    control.Resize(2000, 7185);
    // Not even the day number is narrower than the limit: it stays whole.
    ASSERT_LE(s().SheetColWidth - 150, 180);
    Month(Date(2001, 12, 1));
    EXPECT_EQ((Texts{Cell(5, 1), Cell(5, 3)}), (Texts{"25", "27"}));
    // A zero width, as before the first resize: the day numbers alone.
    control.Resize(0, 7185);
    ASSERT_EQ(s().SheetColWidth, 0);
    Month(Date(2001, 12, 1));
    EXPECT_EQ(Cell(5, 1), "25");
    Week(Date(2001, 10, 3));
    EXPECT_EQ(Cell(1, 2), "3");
}

TEST_F(SheetFixture, EveryDayCellReadsBackAsItsDayAtAnyWidth) {
    for (const Twips width : {0, 1500, 2600, 4000, 8175}) {
        control.Resize(width, 7185);
        for (int month = 1; month <= 12; ++month) {
            Month(Date(2024, month, 1));
            for (int k = 1; k <= dt::DaysInMonth(2024, month); ++k) {
                const SheetCell cell = MonthCellOf(Date(2024, month, k));
                EXPECT_EQ(DayNumberOfText(Cell(cell.row, cell.col)), k)
                    << "width " << width << ", " << k << "." << month << ".2024";
            }
        }
    }
}

TEST_F(SheetFixture, BuildRunsWithRedrawOffEvenWhenItFailsAndLeavesTheSelectionAlone) {
    std::vector<bool> redrawAtEnterCell;
    ui.Grid.events.EnterCell = [&] { redrawAtEnterCell.push_back(ui.Grid.Redraw()); };
    const DateTime selected = Date(2001, 3, 14) + 0.25;
    s().DateValue = selected;
    Month(selected);
    Week(selected);
    ASSERT_FALSE(redrawAtEnterCell.empty());
    for (bool redraw : redrawAtEnterCell) EXPECT_FALSE(redraw);
    EXPECT_TRUE(ui.Grid.Redraw());
    EXPECT_EQ(s().DateValue, selected);
    EXPECT_EQ(s().View, agMonat);
    // Redraw is back on when a build fails.
    ui.Grid.events.EnterCell = [] { throw Error("Gitter defekt"); };
    EXPECT_THROW(Month(Date(2001, 3, 14)), Error);
    EXPECT_TRUE(ui.Grid.Redraw());
    EXPECT_THROW(Week(Date(2001, 3, 14)), Error);
    EXPECT_TRUE(ui.Grid.Redraw());
}

TEST_F(SheetFixture, RebuildClearsAppointmentLinesFormattingAndKeepsTheHeader) {
    Month(Date(2001, 3, 1));
    ui.Grid.SetRow(2);
    ui.Grid.SetCol(1);
    ui.Grid.SetText("6\r09:00 Braun");
    ui.Grid.SetCellAlignment(CellAlignment::CenterCenter);
    ui.Grid.SetCellForeColor(kBlue);
    ui.Grid.SetTextMatrix(0, 0, "Mo*");
    Month(Date(2001, 3, 1));
    EXPECT_EQ(Cell(2, 1), "6");
    EXPECT_EQ(ui.Grid.CellAlignment(2, 1), CellAlignment::LeftTop);
    EXPECT_EQ(Fore(2, 1), kBlack);
    EXPECT_EQ(Cell(0, 0), "Mo*");
    Week(Date(2001, 3, 1));
    EXPECT_EQ(ui.Grid.Rows(), 2);
    EXPECT_EQ(Cell(0, 0), "Mo*");
}

TEST_F(SheetFixture, BuildSheetFollowsViewAndDateValue) {
    s().DateValue = Date(2001, 2, 26);
    s().View = agMonat;
    BuildSheet(in());
    EXPECT_EQ(ui.Grid.Rows(), 7);
    EXPECT_EQ(ui.lblMonat.Caption(), "Februar 2001");
    for (std::int16_t view : {1, 3, 5}) {
        s().View = view;
        BuildSheet(in());
        EXPECT_EQ(ui.Grid.Rows(), 2) << view;
        EXPECT_EQ(ui.lblMonat.Caption(), "Feb / Mär 2001, 9.KW") << view;
    }
}

}  // namespace
}  // namespace agendor
