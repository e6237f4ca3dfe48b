// Loading the sheet's appointments and the persons, the appointment lines and
// markers, and the day grid, on the in-memory widgets and database. "Today"
// is Wednesday 14 November 2001 unless a test says otherwise.
#include <gtest/gtest.h>

#include "agendor/data/day_grid.h"
#include "agendor/data/loaders.h"
#include "agendor/data/markers.h"
#include "agendor/sheet/sheet_model.h"
#include "agendor/sheet/sheets.h"
#include "tests/core/appointment_fixture.h"

namespace agendor {
namespace {

using testing::Appointment;
using testing::AppointmentFixture;
using testing::At;

std::pair<int, int> Current(const memory::MemoryGrid& grid) { return {grid.Row(), grid.Col()}; }

// The week of a Monday, a Sunday's week, across the year's end, from a
// first, any other view as a week; a month's first written as 01, December
// into January, years above a thousand without a separator.
TEST(SheetRangeQuery, WritesTheLiteralsOfTheShownSheet) {
    State state;
    state.DataSourceDates = "T";
    state.FieldDatesDate = "F";
    const struct {
        int year, month, day;
        int view;
        const char *start, *end;
    } cases[] = {
        {2001, 3, 5, agWoche, "3/5/2001", "3/12/2001"},
        {2001, 11, 11, agWoche, "11/5/2001", "11/12/2001"},
        {2002, 1, 2, agWoche, "12/31/2001", "1/7/2002"},
        {2001, 10, 3, agWoche, "10/1/2001", "10/8/2001"},
        {2001, 3, 7, 3, "3/5/2001", "3/12/2001"},
        {2001, 3, 20, agMonat, "3/01/2001", "4/01/2001"},
        {2001, 12, 31, agMonat, "12/01/2001", "1/01/2002"},
        {9999, 11, 30, agMonat, "11/01/9999", "12/01/9999"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SheetRangeQuery(state, At(c.year, c.month, c.day, 15, 30), c.view),
                  std::string("SELECT *  From T WHERE (((T.F)>=#") + c.start + "# And (T.F)<#" + c.end +
                      "#)) ORDER BY T.F");
}

// Bracketed names stand as they are, in the range query and in the day
// grid's (ShowDay's test covers a field that is not bracketed).
TEST(SheetRangeQuery, PastesNamesAsTheyStand) {
    State state;
    state.DataSourceDates = "[Alle Termine]";
    state.FieldDatesDate = "[Termin Datum]";
    EXPECT_EQ(SheetRangeQuery(state, At(2001, 3, 5), agWoche),
              "SELECT *  From [Alle Termine] WHERE ((([Alle Termine].[Termin Datum])>=#3/5/2001# And "
              "([Alle Termine].[Termin Datum])<#3/12/2001#)) ORDER BY [Alle Termine].[Termin Datum]");
    state.DataSourceDates = "T";
    EXPECT_EQ(OneDayQuery(state, "3/5/2001"),
              "SELECT *  From T WHERE (((DateValue([Termin Datum]))=#3/5/2001#)) ORDER BY T.[Termin Datum]");
}

TEST(LoadDates, SendsOneSnapshotQueryThroughATemporaryDefinition) {
    AppointmentFixture f;
    f.appointments = {{1, At(2001, 11, 14, 9, 5), "Meier"}, {2, At(2001, 11, 20, 14, 0), "Albers"}};
    f.control.Refresh();
    const auto& calls = f.database->Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].text,
              "SELECT *  From Termine WHERE (((Termine.Datum)>=#11/01/2001# And (Termine.Datum)<#12/01/2001#)) "
              "ORDER BY Termine.Datum");
    EXPECT_EQ(std::pair(calls[0].throughQueryDef, calls[0].type), std::pair(true, RecordsetType::Snapshot));
    EXPECT_TRUE(f.database->QueryDefNames().empty());
    EXPECT_EQ(calls[1].text, "SELECT Personen.Name,Personen.PersonID From Personen ORDER BY Personen.Name");
    EXPECT_TRUE(f.messages().empty());
}

TEST(LoadDates, WritesOneLinePerAppointmentBelowTheDayText) {
    AppointmentFixture f(At(2001, 9, 20, 10));
    // 3 October has a name; the lines follow it. A line break in a name
    // shows as a blank and adds no line; a line is cut to the 1168-twip
    // column less 10 pixels of 15 twips (90 twips per character).
    f.appointments = {{1, At(2001, 10, 3, 14, 0), "Al\r\nber"}, {2, At(2001, 10, 3, 9, 5), "Meier"}};
    f.control.SetDateValue(At(2001, 10, 10));
    f.control.Refresh();
    const std::vector<std::string> lines = f.CellLines(1, 2);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(DayNumberOfText(lines[0]), 3);
    EXPECT_NE(lines[0], "3");  // the holiday name stands beside the number
    EXPECT_EQ(std::vector(lines.begin() + 1, lines.end()), (std::vector<std::string>{"09:05 Meier", "14:00 Al  b"}));
}

// July 2001 begins on a Sunday, October 2001 on a Monday.
TEST(LoadDates, PutsTheAppointmentIntoTheCellOfItsDay) {
    const struct {
        DateTime dateValue;
        int view;
        DateTime when;
        int row, col;
    } cases[] = {
        {At(2001, 7, 10), agMonat, At(2001, 7, 1, 8), 1, 6},    {At(2001, 7, 10), agMonat, At(2001, 7, 31, 8), 6, 1},
        {At(2001, 10, 10), agMonat, At(2001, 10, 7, 8), 1, 6},  {At(2001, 10, 10), agMonat, At(2001, 10, 8, 8), 2, 0},
        {At(2001, 10, 10), agWoche, At(2001, 10, 8, 8), 1, 0},
        {At(2001, 12, 31), agWoche, At(2002, 1, 6, 23, 59), 1, 6},  // Sunday of the next year
    };
    for (const auto& c : cases) {
        AppointmentFixture f;
        f.appointments = {{1, c.when, "Meier"}};
        f.state().View = static_cast<std::int16_t>(c.view);
        f.control.SetDateValue(c.dateValue);
        f.control.Refresh();
        const std::vector<std::string> lines = f.CellLines(c.row, c.col);
        ASSERT_EQ(lines.size(), 2u) << f.surface.Grid.TextMatrix(c.row, c.col);
        EXPECT_EQ(DayNumberOfText(lines[0]), dt::Day(c.when));
        EXPECT_EQ(lines[1].substr(0, 6), dt::Format(c.when, "hh:mm", f.in().locale()) + " ");
    }
}

TEST(LoadDates, AFullCellGetsOneMarkerPerFurtherAppointmentInOrder) {
    AppointmentFixture f;
    // 14 November 2001, row 3, column 2: the 1056-twip row holds the day
    // and four lines of 195 twips.
    for (int i = 0; i < 7; ++i) f.appointments.push_back({i + 1, At(2001, 11, 14, 8 + i), "P" + std::to_string(i)});
    f.control.Refresh();
    const std::vector<std::string> lines = f.CellLines(3, 2);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "08:00 P0");
    EXPECT_EQ(lines[4], "11:00 P3");
    EXPECT_EQ(f.state().MarkerCount, 3);
    EXPECT_EQ(f.surface.btnVorlage.LoadedCount(), 3);
    const memory::MemoryGrid& grid = f.surface.Grid;
    long lastZ = grid.z();
    for (int index = 1; index <= 3; ++index) {
        const memory::MemoryWidget& marker = f.surface.btnVorlage.Memory(index);
        EXPECT_EQ(f.surface.btnVorlage.Tag(index), "14");
        EXPECT_TRUE(marker.Visible());
        EXPECT_EQ(std::tuple(marker.Left(), marker.Top(), marker.Width(), marker.Height()),
                  std::tuple(grid.ColPos(2) + 1168 - 210, grid.Top() + grid.RowPos(3), 210, 195));
        EXPECT_GT(marker.z(), lastZ);  // each new marker in front
        lastZ = marker.z();
    }
    EXPECT_TRUE(f.messages().empty());
    // A Sunday's marker touches the grid's right edge.
    for (int i = 0; i < 5; ++i) f.appointments.push_back({i + 11, At(2001, 11, 18, 8 + i), "P"});
    f.control.Refresh();
    ASSERT_EQ(f.state().MarkerCount, 4);
    const memory::MemoryWidget& sunday = f.surface.btnVorlage.Memory(4);
    EXPECT_EQ(sunday.Left() + sunday.Width(), grid.Left() + grid.Width());
    EXPECT_EQ(f.surface.btnVorlage.Tag(4), "18");
}

TEST(LoadDates, ANullInOneRecordOrNoPersonFieldHidesNoAppointment) {
    AppointmentFixture f;
    f.appointments = {{1, At(2001, 11, 14, 9), std::nullopt},
                      {2, std::nullopt, "Ohne Datum"},
                      {3, At(2001, 11, 14, 10), "Meier"}};
    f.control.Refresh();
    EXPECT_EQ(f.CellLines(3, 2), (std::vector<std::string>{"14", "09:00 ", "10:00 Meier"}));
    // An empty person field shows the appointments without person.
    f.control.SetFieldDatesPerson("");
    f.control.Refresh();
    EXPECT_EQ(f.CellLines(3, 2), (std::vector<std::string>{"14", "09:00 ", "10:00 "}));
    EXPECT_TRUE(f.messages().empty());
}

TEST(LoadDates, AFailedQueryShowsTheCode4BoxAndLeavesTheSheetLive) {
    AppointmentFixture f;
    f.control.SetDataSourceDates("Terminne");
    f.database->SetFailure(SheetRangeQuery(f.state(), f.state().DateValue, agMonat),
                           "Das Datenbankmodul findet die Eingabetabelle oder Abfrage 'Terminne' nicht.");
    f.control.Refresh();
    ASSERT_EQ(f.messages().size(), 1u);
    const Message& box = f.messages()[0];
    EXPECT_EQ(std::tuple(box.text, box.title, box.icon),
              std::tuple("Agendor-Fehlercode 4\r\nDas Datenbankmodul findet die Eingabetabelle oder Abfrage "
                         "'Terminne' nicht.", "Agendor3.ocx", MessageIcon::Critical));
    EXPECT_TRUE(f.surface.Grid.Redraw());
    // The persons still load after the failed appointments.
    EXPECT_EQ(f.surface.cboPerson.ListCount(), 2);
    // A user move selects a day again.
    f.surface.Grid.UserClickCell(2, 3);
    EXPECT_EQ(f.state().DateValue, At(2001, 11, 8));
}

TEST(LoadDates, ADateThatIsNoDateIsReportedAndTheEarlierLinesStay) {
    AppointmentFixture f;
    f.appointments = {{1, At(2001, 11, 14, 9), "Meier"}};
    f.database->SetResponder([&f](const std::string& text) {
        memory::Rows rows = f.Answer(text);
        if (text.find("Termine.Datum)>=") != std::string::npos) {
            memory::Row bad = rows[0];
            bad["Datum"] = FieldValue("morgen");
            rows.push_back(bad);
        }
        return rows;
    });
    f.control.Refresh();
    ASSERT_EQ(f.messages().size(), 1u);
    EXPECT_EQ(f.messages()[0].text.rfind("Agendor-Fehlercode 4\r\n", 0), 0u);
    EXPECT_EQ(f.CellLines(3, 2).size(), 2u);
    EXPECT_TRUE(f.surface.Grid.Redraw());
}

TEST(LoadDates, WithTheCheckOffAMissingDatabaseIsReportedNotDereferenced) {
    AppointmentFixture f;
    f.surface.container.SetUserMode(false);
    f.control.SetDatabase(nullptr);
    f.surface.container.ClearRecords();
    BuildSheet(f.in());
    LoadDates(f.in());
    ASSERT_EQ(f.messages().size(), 1u);
    EXPECT_EQ(f.messages()[0].text, "Agendor-Fehlercode 4\r\nKein Database-Objekt übergeben");
    EXPECT_TRUE(f.surface.Grid.Redraw());
}

TEST(LoadDates, NoAppointmentIdFieldSendsNoQueryButStillSelects) {
    AppointmentFixture f;
    f.surface.container.SetUserMode(false);  // the check lets the empty name pass
    f.control.SetFieldDatesDateID("");
    f.appointments = {{1, At(2001, 11, 14, 9), "Meier"}};
    f.control.Refresh();
    EXPECT_EQ(f.CellLines(3, 2).size(), 1u);
    for (const std::string& q : f.queries()) EXPECT_EQ(q.find("Termine"), std::string::npos) << q;
    EXPECT_EQ(Current(f.surface.Grid), std::pair(3, 2));
}

TEST(LoadDates, SelectsTheSelectedDaysCellWithOrWithoutTodayOnTheSheet) {
    AppointmentFixture f;
    f.control.SetDateValue(At(2001, 11, 5, 16, 30));
    f.control.Refresh();
    // 5 November 2001: row 2, column 0; today, the 14th, keeps its blue.
    EXPECT_EQ(Current(f.surface.Grid), std::pair(2, 0));
    EXPECT_EQ(f.state().DateValue, At(2001, 11, 5, 16, 30));
    EXPECT_TRUE(f.surface.Grid.Redraw());
    ShowDay(f.in());
    EXPECT_EQ(f.surface.txtToolbarTag.Text(), "Mo, 05.11.01");
    EXPECT_EQ(f.state().ShownDay, At(2001, 11, 5));

    f.control.SetDateValue(At(2001, 8, 5, 12));
    f.control.Refresh();
    // August 2001 begins on a Wednesday: the 5th is row 1, column 6. The
    // search runs column by column, so the 15th (column 2, "15
    // Mariä Himmelfahrt") and the 25th (column 5) come first and must not
    // match.
    EXPECT_EQ(Current(f.surface.Grid), std::pair(1, 6));
    EXPECT_EQ(f.state().DateValue, At(2001, 8, 5, 12));
}

TEST(LoadDates, GivesTheDayGridsToolbarTheFocusOnlyWhenItIsShown) {
    AppointmentFixture f;
    f.control.Refresh();
    f.surface.ProcessEvents();
    EXPECT_NE(f.surface.Focused(), &f.surface.Toolbar1);
    EXPECT_TRUE(f.messages().empty());

    ShowDay(f.in());
    f.surface.Grid.UserFocus();
    ASSERT_EQ(f.surface.Focused(), &f.surface.Grid);
    LoadDates(f.in());
    f.surface.ProcessEvents();
    EXPECT_EQ(f.surface.Focused(), &f.surface.Toolbar1);
    // The day grid's editors lie above the markers and the day grid.
    EXPECT_GT(f.surface.cboPerson.z(), f.surface.txtClock.z());
    EXPECT_GT(f.surface.txtClock.z(), f.surface.txtToolbarTag.z());
    EXPECT_GT(f.surface.txtToolbarTag.z(), f.surface.GridZoom.z());
    EXPECT_TRUE(f.messages().empty());
}

// 36961.99999999999 is Sunday 11 March 2001 a step short of midnight, as
// float arithmetic leaves it. The range of the week of 5 March takes it
// (< 36962), so the week sheet, the month sheet and the day grid must all
// show it on that Sunday and at a time of that Sunday.
TEST(LoadDates, AValueJustShortOfMidnightStaysOnItsDayEverywhere) {
    const DateTime sundayNight = 36961.99999999999;
    ASSERT_LT(sundayNight, At(2001, 3, 12));
    AppointmentFixture f;
    f.appointments = {{1, sundayNight, "Nacht"}};
    f.state().View = agWoche;
    f.control.SetDateValue(At(2001, 3, 7));
    f.control.Refresh();
    EXPECT_EQ(f.CellLines(1, 6), (std::vector<std::string>{"11", "23:59 Nacht"}));
    EXPECT_EQ(f.CellLines(1, 0), std::vector<std::string>{"5"});

    // March 2001 begins on a Thursday: the 11th is row 2, column 6, the
    // 12th row 3, column 0.
    f.state().View = agMonat;
    f.control.Refresh();
    EXPECT_EQ(f.CellLines(2, 6), (std::vector<std::string>{"11", "23:59 Nacht"}));
    EXPECT_EQ(f.CellLines(3, 0), std::vector<std::string>{"12"});

    ShowDayOf(f.in(), At(2001, 3, 11));
    EXPECT_EQ(Current(f.surface.Grid), std::pair(2, 6));  // the day's cell is current
    const memory::MemoryGrid& zoom = f.surface.GridZoom;
    ASSERT_EQ(zoom.Rows(), 2);
    EXPECT_EQ(zoom.TextMatrix(1, 0), "23:59");
    // The hidden column holds the stored value to the bit.
    EXPECT_EQ(zoom.TextMatrix(1, 2), "36961.99999999999");
    EXPECT_EQ(f.surface.txtToolbarTag.Text(), "So, 11.03.01");
    EXPECT_TRUE(f.messages().empty());
}

// A person without id is left out, so list positions and ids stay in step.
TEST(LoadPersons, FillsTheListAndTheIdsInQueryOrder) {
    AppointmentFixture f;
    f.persons = {{7, "Albers"}, {std::nullopt, "Geist"}, {3, "Meier"}, {12, "Zander"}};
    f.control.Refresh();
    std::vector<std::string> names;
    for (int i = 0; i < f.surface.cboPerson.ListCount(); ++i) names.push_back(f.surface.cboPerson.List(i));
    EXPECT_EQ(names, (std::vector<std::string>{"Albers", "Meier", "Zander"}));
    // The ids are sized by the records read; the unused ones stay 0.
    EXPECT_EQ(f.state().PersonIds, (std::vector<std::int32_t>{7, 3, 12, 0, 0}));
    EXPECT_NE(f.state().PersonRecords, nullptr);
}

TEST(LoadPersons, AnEmptyTableKeepsTheIds) {
    AppointmentFixture f;
    f.control.Refresh();
    const std::vector<std::int32_t> before = f.state().PersonIds;
    f.persons.clear();
    f.control.Refresh();
    EXPECT_EQ(f.surface.cboPerson.ListCount(), 0);
    EXPECT_EQ(f.state().PersonIds, before);
}

TEST(ShowDay, ListsTheDaysAppointmentsInTimeOrderOrTheHeaderAlone) {
    AppointmentFixture f;
    f.appointments = {{31, At(2001, 11, 14, 14, 0), "Albers"},
                      {32, At(2001, 11, 14, 9, 30), "Meier"},
                      {33, At(2001, 11, 14, 11, 15), "Zander"},
                      {34, At(2001, 11, 15, 0, 0), "Morgen"}};
    f.control.Refresh();
    f.database->ClearRecords();
    ShowDay(f.in());
    ASSERT_EQ(f.queries().size(), 1u);
    EXPECT_EQ(f.queries()[0],
              "SELECT *  From Termine WHERE (((DateValue([Datum]))=#11/14/2001#)) ORDER BY Termine.Datum");
    EXPECT_EQ(f.database->Calls()[0].type, RecordsetType::Default);
    const memory::MemoryGrid& zoom = f.surface.GridZoom;
    ASSERT_EQ(zoom.Rows(), 4);
    EXPECT_EQ(zoom.TextMatrix(0, 0), "Zeit");
    EXPECT_EQ(zoom.TextMatrix(0, 1), "Kontakt");
    EXPECT_EQ(zoom.CellAlignment(0, 1), CellAlignment::CenterCenter);
    for (const auto& [r, time, person, id] :
         {std::tuple{1, "09:30", "Meier", "32"}, {2, "11:15", "Zander", "33"}, {3, "14:00", "Albers", "31"}}) {
        EXPECT_EQ(std::tuple(zoom.TextMatrix(r, 0), zoom.TextMatrix(r, 1), zoom.TextMatrix(r, 3)),
                  std::tuple(time, person, id));
        EXPECT_EQ(zoom.CellAlignment(r, 0), CellAlignment::CenterCenter);
    }
    EXPECT_EQ(zoom.TextMatrix(1, 2), "14.11.2001 09:30:00");
    EXPECT_EQ(ParseDayGridDateTime(zoom.TextMatrix(1, 2)), At(2001, 11, 14, 9, 30));
    EXPECT_EQ(Current(zoom), std::pair(3, 3));
    EXPECT_EQ(f.surface.txtToolbarTag.Text(), "Mi, 14.11.01");
    EXPECT_EQ(f.state().ShownDay, At(2001, 11, 14));
    // A day without appointments shows the header only.
    f.control.SetHeader("Kunde");
    f.surface.Grid.UserClickCell(3, 4);
    ShowDay(f.in());
    EXPECT_EQ(zoom.Rows(), 1);
    EXPECT_EQ(zoom.TextMatrix(0, 1), "Kunde");
    EXPECT_EQ(Current(zoom), std::pair(0, 1));
}

TEST(ShowDay, MidnightReadsZeroHundredNullValuesBecomeEmptyTextsAndNullDatesAreSkipped) {
    AppointmentFixture f;
    f.appointments = {{1, At(2001, 11, 14), std::nullopt}, {2, std::nullopt, "X"}, {3, At(2001, 11, 14, 9), "Meier"}};
    f.control.Refresh();
    ShowDay(f.in());
    const memory::MemoryGrid& zoom = f.surface.GridZoom;
    ASSERT_EQ(zoom.Rows(), 3);
    EXPECT_EQ(zoom.TextMatrix(1, 0), "00:00");
    EXPECT_EQ(zoom.TextMatrix(1, 1), "");
    EXPECT_EQ(zoom.TextMatrix(2, 1), "Meier");
}

// The day grid stands beside the day's column: its left edge in sheet
// columns for Monday 12, Thursday 15, Friday 16 and Sunday 18 November.
TEST(ShowDay, StandsBesideTheDaysColumn) {
    AppointmentFixture f;
    f.control.Refresh();
    const memory::MemorySurface& s = f.surface;
    for (const auto& [day, columnsRight] : {std::pair{12, 1}, {15, 4}, {16, 2}, {18, 4}}) {
        SCOPED_TRACE(day);
        f.surface.Grid.UserClickCell(MonthCellOf(At(2001, 11, day)).row, MonthCellOf(At(2001, 11, day)).col);
        ShowDay(f.in());
        const int left = s.Grid.Left() + columnsRight * 1168, top = s.Grid.Top() + 401;
        EXPECT_EQ(std::tuple(s.GridZoom.Left(), s.Toolbar1.Left(), s.txtToolbarTag.Left()),
                  std::tuple(left, left, left + 1080));
        // (330 - 195) / 2 = 67.5 rounds to the even 68.
        EXPECT_EQ(std::tuple(s.Toolbar1.Top(), s.GridZoom.Top(), s.txtToolbarTag.Top()),
                  std::tuple(top, top + s.Toolbar1.Height(), top + 68));
    }
}

TEST(ShowDay, ShowsTheGroupWithTheButtonsOfAllowEdit) {
    AppointmentFixture f;
    f.control.Refresh();
    ShowDay(f.in());
    f.surface.ProcessEvents();
    const memory::MemorySurface& s = f.surface;
    EXPECT_EQ((std::vector{s.Toolbar1.Visible(), s.GridZoom.Visible(), s.txtToolbarTag.Visible(), s.txtClock.Visible(),
                           s.cboPerson.Visible()}),
              (std::vector{true, true, true, false, false}));
    EXPECT_EQ(s.Focused(), &s.Toolbar1);
    EXPECT_TRUE(s.Toolbar1.Button(1).visible);
    EXPECT_EQ((std::vector{s.Toolbar1.Button(1).enabled, s.Toolbar1.Button(2).enabled, s.Toolbar1.Button(3).enabled}),
              (std::vector{false, true, false}));

    f.control.SetAllowEdit(false);
    ShowDay(f.in());
    for (int b = 1; b <= 3; ++b) {
        EXPECT_FALSE(s.Toolbar1.Button(b).visible) << b;
        EXPECT_FALSE(s.Toolbar1.Button(b).enabled) << b;
    }
}

TEST(ShowDay, AMissingPropertyShowsOnlyTheChecksMessage) {
    AppointmentFixture f;
    f.control.Refresh();
    f.control.SetFieldDatesDate("");
    f.surface.container.ClearRecords();
    f.database->ClearRecords();
    ShowDay(f.in());
    ASSERT_EQ(f.messages().size(), 1u);
    EXPECT_EQ(f.messages()[0].text, "Set Property <FieldDatesDate> first!");
    EXPECT_TRUE(f.queries().empty());
    EXPECT_FALSE(f.surface.GridZoom.Visible());
}

TEST(ShowDay, WithoutDatabaseNameKeepsTheRowsButShowsTheDay) {
    AppointmentFixture f;
    f.appointments = {{1, At(2001, 11, 14, 9), "Meier"}};
    f.control.Refresh();
    ShowDay(f.in());
    f.database->SetName("");
    f.database->ClearRecords();
    f.surface.Grid.UserClickCell(3, 3);
    ShowDay(f.in());
    EXPECT_TRUE(f.queries().empty());
    EXPECT_EQ(f.surface.GridZoom.TextMatrix(1, 1), "Meier");
    EXPECT_EQ(f.surface.txtToolbarTag.Text(), "Do, 15.11.01");
}

TEST(ShowDay, AMarkerShowsItsDayAndAClickOnAnyMarkerHidesIt) {
    AppointmentFixture f(At(2001, 9, 1, 10));
    f.control.SetDateValue(At(2001, 7, 3));
    // 30 July 2001: a Monday in the sixth row of the month sheet.
    for (int i = 0; i < 5; ++i) f.appointments.push_back({i + 1, At(2001, 7, 30, 8 + i), "P"});
    f.appointments.push_back({9, At(2001, 7, 2, 8), "Anderer Tag"});
    f.control.Refresh();
    ASSERT_EQ(f.state().MarkerCount, 1);
    f.surface.btnVorlage.UserClickMarker(1);
    EXPECT_TRUE(f.surface.GridZoom.Visible());
    EXPECT_EQ(Current(f.surface.Grid), std::pair(6, 0));
    EXPECT_EQ(f.state().DateValue, At(2001, 7, 30));
    EXPECT_EQ(f.surface.GridZoom.Rows(), 6);
    EXPECT_EQ(f.surface.txtToolbarTag.Text(), "Mo, 30.07.01");
    f.surface.btnVorlage.UserClickMarker(1);
    EXPECT_FALSE(f.surface.GridZoom.Visible());
    EXPECT_TRUE(f.messages().empty());
}

TEST(ShowDay, AMarkerOnTheWeekSheetSelectsRowOne) {
    AppointmentFixture f;
    f.state().View = agWoche;
    for (int i = 0; i < 40; ++i) f.appointments.push_back({i + 1, At(2001, 11, 16, 0, 10 * i), "P"});
    f.control.Refresh();
    ASSERT_GE(f.state().MarkerCount, 1);
    f.surface.btnVorlage.UserClickMarker(1);
    EXPECT_EQ(Current(f.surface.Grid), std::pair(1, 4));
    EXPECT_EQ(f.surface.GridZoom.Rows(), 41);
}

TEST(ShowDay, AMarkerClickThatFailsShowsTheBoxInsteadOfEscaping) {
    AppointmentFixture f;
    for (int i = 0; i < 5; ++i) f.appointments.push_back({i + 1, At(2001, 11, 14, 8 + i), "P"});
    f.control.Refresh();
    f.database->SetFailure(OneDayQuery(f.state(), "11/14/2001"), "Datenbank nicht erreichbar");
    EXPECT_NO_THROW(f.surface.btnVorlage.UserClickMarker(1));
    ASSERT_EQ(f.messages().size(), 1u);
    EXPECT_EQ(f.messages()[0].text, "Agendor-Fehlercode 2\r\nDatenbank nicht erreichbar");
}

TEST(ShowDay, TheShownDayOutlivesAReload) {
    AppointmentFixture f;
    f.appointments = {{1, At(2001, 11, 20, 9), "Meier"}, {2, At(2001, 11, 14, 9), "Heute"}};
    f.control.Refresh();
    f.surface.Grid.UserClickCell(4, 1);  // 20 November
    ShowDay(f.in());
    ASSERT_EQ(f.state().ShownDay, At(2001, 11, 20));
    // A change reloads the sheet, which keeps the selected day's cell ...
    f.control.Refresh();
    ASSERT_EQ(f.surface.Grid.Row(), 4);
    // ... and the day grid comes back for the day the user saw.
    ShowDayOf(f.in(), *f.state().ShownDay);
    EXPECT_EQ(f.surface.txtToolbarTag.Text(), "Di, 20.11.01");
    EXPECT_EQ(f.surface.GridZoom.TextMatrix(1, 1), "Meier");
    EXPECT_EQ(Current(f.surface.Grid), std::pair(4, 1));
    EXPECT_EQ(f.state().DateValue, At(2001, 11, 20));
}

TEST(HideDayGrid, HidesTheGroupAndDropsAPendingRow) {
    AppointmentFixture f;
    f.control.Refresh();
    ShowDay(f.in());
    f.surface.txtClock.SetVisible(true);
    f.surface.cboPerson.SetVisible(true);
    f.state().NewPending = true;
    HideDayGrid(f.in());
    for (const memory::MemoryWidget* w : std::initializer_list<const memory::MemoryWidget*>{
             &f.surface.Toolbar1, &f.surface.txtClock, &f.surface.GridZoom, &f.surface.txtToolbarTag,
             &f.surface.cboPerson})
        EXPECT_FALSE(w->Visible()) << w->Name();
    EXPECT_FALSE(f.state().NewPending);
}

TEST(DayGridDateTimeText, ReadsBackToTheSameValue) {
    for (const DateTime value : {At(2001, 11, 14, 9, 30), At(1899, 12, 30), At(1850, 6, 1, 23, 59),
                                 dt::FromYmdHms(2001, 3, 5, 7, 8, 9.25), At(2001, 11, 14, 9) + 3e-9,
                                 At(2001, 11, 14, 11, 30) + 0.029 / 86400}) {
        const std::string text = DayGridDateTimeText(value);
        EXPECT_EQ(ParseDayGridDateTime(text), value) << text;
    }
    EXPECT_EQ(DayGridDateTimeText(dt::FromYmdHms(2001, 3, 5, 7, 8, 9.25)), "05.03.2001 07:08:09.250");
    EXPECT_EQ(ParseDayGridDateTime("5.11.2000"), At(2000, 11, 5));
    EXPECT_EQ(ParseDayGridDateTime("05.11.2000 14:05"), At(2000, 11, 5, 14, 5));
    for (const char* bad : {"", "05.11.2000 24:00", "05.11.2000 1:00", "05.11.2000 10:60", "31.02.2001",
                            "05.11.2000 10:00:00.5", "05.11.2000 -1:00", "05.11.2000 10:00x"})
        EXPECT_EQ(ParseDayGridDateTime(bad), std::nullopt) << bad;
}

// A black (B) arrow filled in teal (T), pointing down.
TEST(MarkerArrow, DrawsTheArrowPixelByPixel) {
    const char* const expected[13] = {
        "              ", "              ", "     BBBBB    ", "     BTTTB    ", "     BTTTB    ",
        "     BTTTB    ", "  BBBBTTTBBBB ", "   BTTTTTTTB  ", "    BTTTTTB   ", "     BTTTB    ",
        "      BTB     ", "       B      ", "              "};
    for (int r = 0; r < 13; ++r) EXPECT_STREQ(kMarkerArrow[r], expected[r]) << "row " << r;
}

} // namespace
} // namespace agendor
