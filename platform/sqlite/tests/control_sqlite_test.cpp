// The control against the real SQLite engine: a small database file with
// persons and appointments, the control on the in-memory widgets. "Today"
// is Wednesday 14 November 2001.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "agendor/control/agendor.h"
#include "agendor/data/day_grid.h"
#include "agendor/platform/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/platform/sqlite/sqlite_database.h"
#include "agendor/platform/sqlite/tests/test_files.h"
#include "agendor/sheet/sheet_model.h"
#include "tests/support/test_control.h"

namespace agendor {
namespace {

DateTime At(int year, int month, int day, int hour = 0, int minute = 0) {
    return dt::FromYmdHms(year, month, day, hour, minute, 0);
}

// Counts the queries the control sends, and passes them on.
class CountingDatabase final : public Database {
public:
    explicit CountingDatabase(std::unique_ptr<Database> inner) : inner_(std::move(inner)) {}
    std::string Name() const override { return inner_->Name(); }
    std::unique_ptr<Recordset> OpenRecordset(const std::string& text, RecordsetType type) override {
        texts.push_back(text);
        return inner_->OpenRecordset(text, type);
    }
    std::unique_ptr<QueryDef> CreateQueryDef(const std::string& name, const std::string& text) override {
        texts.push_back(text);
        return inner_->CreateQueryDef(name, text);
    }
    std::vector<std::string> texts;

private:
    std::unique_ptr<Database> inner_;
};

struct Row {
    std::optional<DateTime> when;
    std::optional<std::string> person;
};

class ControlOnSqlite : public ::testing::Test {
protected:
    ControlOnSqlite() : host(folder.File("termine.db")), control(surface.surface()) {
        host.Execute(
            "CREATE TABLE Personen (PersonID INTEGER PRIMARY KEY, Name TEXT);"
            "CREATE TABLE Termine (TerminID INTEGER PRIMARY KEY, Datum REAL, Person TEXT);"
            "CREATE INDEX Termine_Datum ON Termine (Datum);"
            "INSERT INTO Personen (PersonID, Name) VALUES (3, 'Meier'), (7, 'Albers'), (12, 'Zander');");
        agendor::testing::SetUpTestControl(control);
        control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
    }

    void Insert(const std::vector<Row>& rows, const std::string& table = "Termine",
                const std::string& dateColumn = "Datum") {
        sqlite3_stmt* insert = nullptr;
        const std::string sql = "INSERT INTO " + table + " (" + dateColumn + ", Person) VALUES (?, ?)";
        ASSERT_EQ(sqlite3_prepare_v2(host.Handle(), sql.c_str(), -1, &insert, nullptr), SQLITE_OK);
        for (const Row& row : rows) {
            if (row.when) sqlite3_bind_double(insert, 1, *row.when);
            else sqlite3_bind_null(insert, 1);
            if (row.person) sqlite3_bind_text(insert, 2, row.person->c_str(), -1, SQLITE_TRANSIENT);
            else sqlite3_bind_null(insert, 2);
            ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE) << sqlite3_errmsg(host.Handle());
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
    }

    // Opens the file for the control (after the fixture rows are in) and
    // shows the sheet of dateValue.
    void Show(DateTime dateValue, int view = agMonat) {
        if (!database) {
            auto counting = std::make_shared<CountingDatabase>(sqlite::SqliteDatabase::Open(folder.File("termine.db")));
            database = counting;
            control.SetDatabase(counting);
        }
        control.instance().state.View = static_cast<std::int16_t>(view);
        control.SetDateValue(dateValue);
        control.Refresh();
        surface.ProcessEvents();
    }

    std::vector<std::string> CellLines(int row, int col) const { return surface.Grid.CellLines(row, col); }

    // The appointment lines of the cell of day, without the day text.
    std::vector<std::string> LinesOf(DateTime day) const {
        const State& s = control.instance().state;
        const SheetCell cell = s.View == agMonat ? MonthCellOf(day) : SheetCell{1, dt::Weekday(day) - 1};
        std::vector<std::string> lines = CellLines(cell.row, cell.col);
        EXPECT_EQ(DayNumberOfText(lines.front()), dt::Day(day));
        lines.erase(lines.begin());
        return lines;
    }

    const std::vector<Message>& messages() const { return surface.container.Messages(); }

    sqlite::testing::TempFolder folder;
    sqlite::testing::HostConnection host;
    memory::MemorySurface surface;
    Agendor control;
    std::shared_ptr<CountingDatabase> database;
};

using Lines = std::vector<std::string>;

TEST_F(ControlOnSqlite, MidnightOfTheEndIsNotLoadedAndTheLastMinuteIs) {
    Insert({{At(2001, 11, 30, 23, 59), "Spät"}, {At(2001, 12, 1), "Dezember"}, {At(2001, 11, 1), "Erste"}});
    Show(At(2001, 11, 14));
    EXPECT_EQ(LinesOf(At(2001, 11, 30)), Lines{"23:59 Spät"});
    EXPECT_EQ(LinesOf(At(2001, 11, 1)), Lines{"00:00 Erste"});
    // The week of 26 November ends before 3 December, midnight.
    Insert({{At(2001, 12, 2, 23, 59), "Sonntag"}, {At(2001, 12, 3), "Montag"}});
    Show(At(2001, 11, 28), agWoche);
    EXPECT_EQ(LinesOf(At(2001, 12, 2)), Lines{"23:59 Sonnt"});
    EXPECT_EQ(LinesOf(At(2001, 12, 1)), Lines{"00:00 Dezem"});
    // A step short of midnight: inside the range of its Sunday, and shown there.
    Insert({{36961.99999999999, "Nacht"}});
    Show(At(2001, 3, 7), agWoche);
    EXPECT_EQ(LinesOf(At(2001, 3, 11)), Lines{"23:59 Nacht"});
    EXPECT_EQ(LinesOf(At(2001, 3, 5)), Lines{});
    EXPECT_TRUE(messages().empty());
}

TEST_F(ControlOnSqlite, WeekAndMonthRangesAcrossTheYearEnd) {
    Insert({{At(2001, 12, 30, 12), "Vorwoche"},
            {At(2001, 12, 31, 8), "Silvester"},
            {At(2002, 1, 1, 10), "Neujahr"},
            {At(2002, 1, 6, 18), "Sonntag"},
            {At(2002, 1, 7, 0), "Folgewoche"}});
    Show(At(2002, 1, 2), agWoche);
    EXPECT_EQ(LinesOf(At(2001, 12, 31)), Lines{"08:00 Silve"});
    EXPECT_EQ(LinesOf(At(2002, 1, 1)), Lines{"10:00 Neuja"});
    EXPECT_EQ(LinesOf(At(2002, 1, 6)), Lines{"18:00 Sonnt"});
    EXPECT_EQ(database->texts.front(),
              "SELECT *  From Termine WHERE (((Termine.Datum)>=#12/31/2001# And (Termine.Datum)<#1/7/2002#)) "
              "ORDER BY Termine.Datum");

    Show(At(2001, 12, 10), agMonat);
    EXPECT_EQ(LinesOf(At(2001, 12, 30)), Lines{"12:00 Vorwo"});
    EXPECT_EQ(LinesOf(At(2001, 12, 31)), Lines{"08:00 Silve"});
    // 1 January 2002 is not on the December sheet at all.
    for (int r = 1; r < surface.Grid.Rows(); ++r)
        for (int c = 0; c < 7; ++c) EXPECT_EQ(surface.Grid.TextMatrix(r, c).find("Neuja"), std::string::npos);
    EXPECT_TRUE(messages().empty());
}

TEST_F(ControlOnSqlite, AFullCellGetsItsMarkersInOrderWithTheDayAsTag) {
    // Inserted out of order; the range query brings them in time order.
    Insert({{At(2001, 11, 21, 15), "F"}, {At(2001, 11, 21, 8), "A"}, {At(2001, 11, 21, 12), "D"},
            {At(2001, 11, 21, 9), "B"},  {At(2001, 11, 21, 13), "E"}, {At(2001, 11, 21, 10), "C"}});
    Show(At(2001, 11, 14));
    EXPECT_EQ(LinesOf(At(2001, 11, 21)), (Lines{"08:00 A", "09:00 B", "10:00 C", "12:00 D"}));
    const State& s = control.instance().state;
    ASSERT_EQ(s.MarkerCount, 2);
    const SheetCell cell = MonthCellOf(At(2001, 11, 21));
    for (int index = 1; index <= 2; ++index) {
        EXPECT_EQ(surface.btnVorlage.Tag(index), "21");
        const memory::MemoryWidget& marker = surface.btnVorlage.Memory(index);
        EXPECT_EQ(marker.Left(), surface.Grid.ColPos(cell.col) + s.SheetColWidth - marker.Width());
        EXPECT_EQ(marker.Top(), surface.Grid.Top() + surface.Grid.RowPos(cell.row));
    }
    EXPECT_GT(surface.btnVorlage.Memory(2).z(), surface.btnVorlage.Memory(1).z());

    // The marker opens the day with all six appointments.
    surface.btnVorlage.UserClickMarker(2);
    const memory::MemoryGrid& zoom = surface.GridZoom;
    ASSERT_EQ(zoom.Rows(), 7);
    EXPECT_EQ(zoom.TextMatrix(5, 0), "13:00");
    EXPECT_EQ(zoom.TextMatrix(6, 1), "F");
    EXPECT_EQ(surface.txtToolbarTag.Text(), "Mi, 21.11.01");
}

TEST_F(ControlOnSqlite, TheDayGridLoadsItsDayWithOneQuery) {
    Insert({{At(2001, 11, 20, 14), "Albers"}, {At(2001, 11, 20, 9, 30), "Meier"}, {At(2001, 11, 20, 11, 15), "Zander"},
            {At(2001, 11, 21, 0), "Morgen"}, {At(2001, 11, 19, 23, 59), "Gestern"}});
    Show(At(2001, 11, 14));
    database->texts.clear();
    surface.Grid.UserDblClickCell(4, 1);  // 20 November
    ASSERT_EQ(database->texts.size(), 1u);
    EXPECT_EQ(database->texts[0],
              "SELECT *  From Termine WHERE (((DateValue([Datum]))=#11/20/2001#)) ORDER BY Termine.Datum");
    // The rows themselves, in time order with their hidden columns, are
    // checked on every engine (tests/engines).
    EXPECT_EQ(surface.GridZoom.Rows(), 4);
    EXPECT_TRUE(messages().empty());
}

TEST_F(ControlOnSqlite, OneQueryPerLoadAndOnePerPersons) {
    Insert({{At(2001, 11, 14, 9), "Meier"}});
    host.Execute("INSERT INTO Personen (PersonID, Name) VALUES (20, 'Özdemir'), (21, 'albers'), (22, 'de Vries')");
    Show(At(2001, 11, 14));
    ASSERT_EQ(database->texts.size(), 2u);
    EXPECT_EQ(database->texts[1], "SELECT Personen.Name,Personen.PersonID From Personen ORDER BY Personen.Name");
    std::vector<std::string> names;
    for (int k = 0; k < surface.cboPerson.ListCount(); ++k) names.push_back(surface.cboPerson.List(k));
    EXPECT_EQ(names, (std::vector<std::string>{"albers", "Albers", "de Vries", "Meier", "Özdemir", "Zander"}));
    EXPECT_EQ(control.instance().state.PersonIds, (std::vector<std::int32_t>{21, 7, 22, 3, 20, 12, 0}));
}

TEST_F(ControlOnSqlite, NullValuesInRecordsDoNotHideTheOthers) {
    Insert({{At(2001, 11, 14, 8), std::nullopt}, {std::nullopt, "Ohne Datum"}, {At(2001, 11, 14, 9), "Meier"}});
    Show(At(2001, 11, 14));
    EXPECT_EQ(LinesOf(At(2001, 11, 14)), (Lines{"08:00 ", "09:00 Meier"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ControlOnSqlite, AFieldNameWithBlanksIsBracketedOnce) {
    host.Execute("CREATE TABLE Kalender (TerminID INTEGER PRIMARY KEY, [Termin Datum] REAL, Person TEXT);");
    Insert({{At(2001, 11, 20, 10), "Meier"}}, "Kalender", "[Termin Datum]");
    control.SetDataSourceDates("Kalender");
    control.SetFieldDatesDate("[Termin Datum]");
    Show(At(2001, 11, 14));
    EXPECT_EQ(LinesOf(At(2001, 11, 20)), Lines{"10:00 Meier"});
    surface.Grid.UserDblClickCell(4, 1);
    EXPECT_EQ(database->texts.back(),
              "SELECT *  From Kalender WHERE (((DateValue([Termin Datum]))=#11/20/2001#)) "
              "ORDER BY Kalender.[Termin Datum]");
    ASSERT_EQ(surface.GridZoom.Rows(), 2);
    EXPECT_EQ(surface.GridZoom.TextMatrix(1, 1), "Meier");
    EXPECT_TRUE(messages().empty());
}

TEST_F(ControlOnSqlite, AWrongTableShowsTheCode4BoxWithTheEnginesMessage) {
    control.SetDataSourceDates("Terminne");
    Show(At(2001, 11, 14));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text.rfind("Agendor-Fehlercode 4\r\n", 0), 0u);
    EXPECT_NE(messages()[0].text.find("Terminne"), std::string::npos);
    EXPECT_TRUE(surface.Grid.Redraw());
}

TEST_F(ControlOnSqlite, SelectionAfterLoadingPrefersTodayElseTheDayNumber) {
    Show(At(2001, 11, 5, 16));
    EXPECT_EQ(surface.Grid.Row(), 3);  // 14 November
    EXPECT_EQ(surface.Grid.Col(), 2);
    EXPECT_EQ(control.DateValue(), At(2001, 11, 5, 16));
    Show(At(2002, 3, 5, 16));
    // March 2002 begins on a Friday: the 5th is row 2, column 1.
    EXPECT_EQ(surface.Grid.Row(), 2);
    EXPECT_EQ(surface.Grid.Col(), 1);
    EXPECT_EQ(control.DateValue(), At(2002, 3, 5, 16));
}

TEST_F(ControlOnSqlite, ClickDoubleClickAndEsc) {
    Insert({{At(2001, 11, 16, 9), "Meier"}});
    Show(At(2001, 11, 14));
    std::vector<std::pair<char, DateTime>> events;
    control.Events().Click = [&](DateTime d) { events.push_back({'c', d}); };
    control.Events().DblClick = [&](DateTime d) { events.push_back({'d', d}); };
    surface.Grid.UserDblClickCell(3, 4);  // 16 November
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], (std::pair<char, DateTime>{'c', At(2001, 11, 16)}));
    EXPECT_EQ(events[1], (std::pair<char, DateTime>{'d', At(2001, 11, 16)}));
    EXPECT_TRUE(surface.GridZoom.Visible());
    EXPECT_EQ(surface.GridZoom.TextMatrix(1, 1), "Meier");
    surface.Grid.UserKeyPress(27);
    EXPECT_FALSE(surface.GridZoom.Visible());
    surface.Grid.UserDblClickCell(3, 5);
    surface.Grid.UserClickCell(3, 6);
    EXPECT_FALSE(surface.GridZoom.Visible());
    EXPECT_EQ(events.back(), (std::pair<char, DateTime>{'c', At(2001, 11, 18)}));
    EXPECT_TRUE(messages().empty());
}

} // namespace
} // namespace agendor
