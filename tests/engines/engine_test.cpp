// One set of engine tests, run on SQLite and on PostgreSQL (with the date
// stored as a timestamp and as a day count): the control over the
// in-memory widgets loads a week, a month and a day, orders times, days
// before 1900 and German names, reads nulls and reports missing names, and
// every engine must give the same answers. "Today" is 14 November 2001.
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "agendor/control/agendor.h"
#include "agendor/control/instance_access.h"
#include "agendor/data/day_grid.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/sheet/sheet_model.h"
#include "tests/engines/engine_host.h"
#include "tests/support/test_control.h"
#include "tests/support/error_of.h"

namespace agendor::testing {
namespace {

using Lines = std::vector<std::string>;

DateTime At(int year, int month, int day, int hour = 0, int minute = 0) {
    return dt::FromYmdHms(year, month, day, hour, minute, 0);
}

class EngineTest : public ::testing::TestWithParam<Engine> {
protected:
    EngineTest() : host(MakeEngineHost(GetParam())), control(surface.surface()) {
        host->Execute("INSERT INTO \"Personen\" (\"PersonID\", \"Name\") VALUES (3, 'Meier'), (7, 'Albers'), "
                      "(12, 'Zander')");
        testing::SetUpTestControl(control);
        control.SetWorkspace(std::make_shared<Workspace>());
    }

    Database& database() {
        if (!database_) {
            database_ = host->Open();
            control.SetDatabase(database_);
        }
        return *database_;
    }

    void Show(DateTime dateValue, int view = agMonat) {
        database();
        InstanceOf(control).state.View = static_cast<std::int16_t>(view);
        control.SetDateValue(dateValue);
        control.Refresh();
        surface.ProcessEvents();
    }

    // The appointment lines of the cell of day, without the day text.
    Lines LinesOf(DateTime day) const {
        const State& s = InstanceOf(control).state;
        const SheetCell cell = s.View == agMonat ? MonthCellOf(day) : SheetCell{1, dt::Weekday(day) - 1};
        Lines lines = surface.Grid.CellLines(cell.row, cell.col);
        EXPECT_EQ(DayNumberOfText(lines.front()), dt::Day(day));
        lines.erase(lines.begin());
        return lines;
    }

    // Each record's date, in the order the engine delivers them.
    std::vector<DateTime> Dates(const std::string& text) {
        std::vector<DateTime> dates;
        auto records = database().OpenRecordset(text);
        for (; !records->IsEOF(); records->MoveNext()) dates.push_back(records->Field("Datum").AsDateTime());
        return dates;
    }

    const std::vector<Message>& messages() const { return surface.container.Messages(); }

    std::unique_ptr<EngineHost> host;
    memory::MemorySurface surface;
    Agendor control;

private:
    std::shared_ptr<Database> database_;
};

TEST_P(EngineTest, AWeekAndAMonthLoadTheirAppointmentsUpToTheLastMinute) {
    host->Insert(At(2001, 11, 30, 23, 59), "Spät");
    host->Insert(At(2001, 12, 1), "Dezember");
    host->Insert(At(2001, 11, 1), "Erste");
    host->Insert(At(2001, 11, 21, 15), "Später");
    host->Insert(At(2001, 11, 21, 8, 30), "Früh");
    host->Insert(At(2001, 12, 2, 23, 59), "Sonntag");
    host->Insert(At(2001, 12, 3), "Montag");
    Show(At(2001, 11, 14));
    EXPECT_EQ(LinesOf(At(2001, 11, 1)), Lines{"00:00 Erste"});
    EXPECT_EQ(LinesOf(At(2001, 11, 21)), (Lines{"08:30 Früh", "15:00 Späte"}));
    EXPECT_EQ(LinesOf(At(2001, 11, 30)), Lines{"23:59 Spät"});
    // The cell beside the 30th stays empty: the month sheet shows no day of December.
    const SheetCell last = MonthCellOf(At(2001, 11, 30));
    EXPECT_EQ(surface.Grid.CellLines(last.row, last.col + 1), Lines{""});

    // The week of 26 November ends before 3 December, midnight.
    Show(At(2001, 11, 28), agWoche);
    EXPECT_EQ(LinesOf(At(2001, 12, 1)), Lines{"00:00 Dezem"});
    EXPECT_EQ(LinesOf(At(2001, 12, 2)), Lines{"23:59 Sonnt"});
    EXPECT_EQ(LinesOf(At(2001, 11, 30)), Lines{"23:59 Spät"});
    EXPECT_TRUE(messages().empty());
}

TEST_P(EngineTest, TheDayGridListsOneDayInTimeOrder) {
    host->Insert(At(2001, 11, 20, 14), "Albers");
    host->Insert(At(2001, 11, 20, 9, 30), "Meier");
    host->Insert(At(2001, 11, 21), "Morgen");
    host->Insert(At(2001, 11, 20), "Mitternacht");
    host->Insert(At(2001, 11, 19, 23, 59), "Gestern");
    host->Insert(At(2001, 11, 20, 11, 15), "Zander");
    Show(At(2001, 11, 14));
    surface.Grid.UserDblClickCell(4, 1);  // 20 November
    const memory::MemoryGrid& zoom = surface.GridZoom;
    ASSERT_EQ(zoom.Rows(), 5);
    const Lines times = {"00:00", "09:30", "11:15", "14:00"};
    const Lines people = {"Mitternacht", "Meier", "Zander", "Albers"};
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(zoom.TextMatrix(r, 0), times[r - 1]);
        EXPECT_EQ(zoom.TextMatrix(r, 1), people[r - 1]);
    }
    EXPECT_EQ(ParseDayGridDateTime(zoom.TextMatrix(2, 2)), At(2001, 11, 20, 9, 30));
    EXPECT_EQ(zoom.TextMatrix(2, 3), "2");
    EXPECT_TRUE(messages().empty());
}

// Before 30 December 1899 the fraction of a day count runs backwards
// (-1.25 is 29 December 06:00, -1.75 is 18:00): the engine must still
// deliver calendar order, in the range query and in the one-day query.
// Compared as day and minute, since a timestamp reads 30 December 12:00
// back as 0.5 where the day count may hold -0.5.
TEST_P(EngineTest, DaysBefore1900ComeInCalendarOrder) {
    for (const double value : {-0.5, 1.0, -1.75, 0.25, -2.25, -1.25, -1.0})
        host->Insert(value, "x");
    using Moments = std::vector<std::pair<long, long>>;
    auto moments = [](const std::vector<DateTime>& values) {
        Moments result;
        for (const DateTime v : values) result.push_back({dt::DayNumber(v), std::lround(dt::TimeFraction(v) * 1440)});
        return result;
    };
    EXPECT_EQ(moments(Dates("SELECT *  From Termine WHERE (((Termine.Datum)>=#12/29/1899# And "
                            "(Termine.Datum)<#12/31/1899#)) ORDER BY Termine.Datum")),
              (Moments{{-1, 0}, {-1, 360}, {-1, 1080}, {0, 360}, {0, 720}}));
    EXPECT_EQ(moments(Dates("SELECT *  From Termine WHERE (((DateValue([Datum]))=#12/29/1899#)) ORDER BY Termine.Datum")),
              (Moments{{-1, 0}, {-1, 360}, {-1, 1080}}));
    // A literal with a time compares in calendar order too: 29 Dec 12:00.
    EXPECT_EQ(moments(Dates("SELECT * From Termine WHERE Termine.Datum > #12/29/1899 12:00# And "
                            "Termine.Datum < #12/31/1899# ORDER BY Termine.Datum")),
              (Moments{{-1, 1080}, {0, 360}, {0, 720}}));
}

// The engine computes a stored value's calendar key in double precision;
// the literal's key must be the same number, to the last bit, or "=" misses
// the very moment the control stored (27 Oct 1899 00:00:01 is such a case).
TEST_P(EngineTest, TimedLiteralBefore1900EqualsItsStoredMoment) {
    const DateTime moment = dt::FromYmdHms(1899, 10, 27, 0, 0, 1);
    host->Insert(moment, "x");
    host->Insert(dt::FromYmdHms(1899, 10, 27, 0, 0, 2), "x");
    EXPECT_EQ(Dates("SELECT * From Termine WHERE Termine.Datum = #10/27/1899 0:00:01#"),
              (std::vector<DateTime>{moment}));
}

// The order of German phone books and dictionaries: case ignored first,
// umlauts as their plain vowel, ß as ss; only then accents, then case.
TEST_P(EngineTest, PersonsComeInGermanOrder) {
    host->Execute("DELETE FROM \"Personen\"");
    const Lines german = {"Abel",   "Äbel",      "Äbi",   "Abt",      "albers",  "Albers",   "Arm",
                          "Ärmel",  "de Vries",  "Dehmel", "Moller",  "Möller",  "Mueller",  "Muller",
                          "Müller", "Ober",      "Ostermann", "Özdemir", "Straub", "Strauss", "Strauß",
                          "van Dijk", "Vogel",   "von Arnim", "Zander"};
    // Inserted in reverse byte order, so neither the ids nor a binary order
    // can give the expected list by chance.
    Lines inserted = german;
    std::sort(inserted.rbegin(), inserted.rend());
    for (std::size_t i = 0; i < inserted.size(); ++i)
        host->Execute("INSERT INTO \"Personen\" (\"PersonID\", \"Name\") VALUES (" + std::to_string(i + 1) + ", '" +
                      inserted[i] + "')");
    Show(At(2001, 11, 14));
    Lines listed;
    for (int i = 0; i < surface.cboPerson.ListCount(); ++i) listed.push_back(surface.cboPerson.List(i));
    EXPECT_EQ(listed, german);
    // Each position keeps its person's id.
    const std::vector<std::int32_t>& ids = InstanceOf(control).state.PersonIds;
    ASSERT_GE(ids.size(), german.size());
    for (std::size_t k = 0; k < german.size(); ++k)
        EXPECT_EQ(ids[k], std::find(inserted.begin(), inserted.end(), german[k]) - inserted.begin() + 1) << german[k];
}

// An engine may hand out the rows it read before when nothing changed in
// between; every change the host committed must show on the next load, and
// an uncommitted one must not.
TEST_P(EngineTest, EveryLoadShowsWhatTheHostCommittedBeforeIt) {
    const DateTime day = At(2001, 11, 14);
    const auto shown = [&] {
        Show(day);
        Lines persons;
        for (int i = 0; i < surface.cboPerson.ListCount(); ++i) persons.push_back(surface.cboPerson.List(i));
        Lines all = LinesOf(day);
        all.insert(all.end(), persons.begin(), persons.end());
        return all;
    };
    host->Insert(At(2001, 11, 14, 9), "Meier");
    EXPECT_EQ(shown(), (Lines{"09:00 Meier", "Albers", "Meier", "Zander"}));
    EXPECT_EQ(shown(), (Lines{"09:00 Meier", "Albers", "Meier", "Zander"}));
    host->Execute("UPDATE \"Termine\" SET \"Person\" = 'Zander'");
    EXPECT_EQ(shown(), (Lines{"09:00 Zande", "Albers", "Meier", "Zander"}));
    host->Insert(At(2001, 11, 14, 8), "Albers");
    host->Execute("UPDATE \"Personen\" SET \"Name\" = 'Ober' WHERE \"PersonID\" = 3");
    EXPECT_EQ(shown(), (Lines{"08:00 Alber", "09:00 Zande", "Albers", "Ober", "Zander"}));
    host->Execute("DELETE FROM \"Termine\" WHERE \"Person\" = 'Zander'");
    EXPECT_EQ(shown(), (Lines{"08:00 Alber", "Albers", "Ober", "Zander"}));

    host->Execute("BEGIN");
    host->Execute("DELETE FROM \"Personen\" WHERE \"PersonID\" = 12");
    EXPECT_EQ(shown(), (Lines{"08:00 Alber", "Albers", "Ober", "Zander"}));
    host->Execute("COMMIT");
    EXPECT_EQ(shown(), (Lines{"08:00 Alber", "Albers", "Ober"}));
    EXPECT_TRUE(messages().empty());

    // Two recordsets of one text each keep their own place.
    const std::string text = "SELECT * From Termine ORDER BY Termine.Datum";
    host->Insert(At(2001, 11, 15, 10), "Meier");
    auto first = database().OpenRecordset(text);
    first->MoveNext();
    auto second = database().OpenRecordset(text);
    EXPECT_EQ(second->Field("Person").AsText(), "Albers");
    EXPECT_EQ(first->Field("Person").AsText(), "Meier");
    second->MoveLast();
    EXPECT_EQ(second->RecordCount(), 2);
    EXPECT_EQ(first->RecordCount(), 2);
    first->MoveFirst();
    EXPECT_EQ(first->Field("Person").AsText(), "Albers");
}

TEST_P(EngineTest, NullsAreEmptyValuesThatFailOnlyWhenConverted) {
    host->Insert(At(2001, 11, 14, 9), std::nullopt);
    host->Insert(std::nullopt, "Ohne Datum");
    host->Insert(At(2001, 11, 14, 10), "Meier");
    auto records = database().OpenRecordset("SELECT Termine.Datum, Termine.Person From Termine ORDER BY Termine.TerminID");
    ASSERT_FALSE(records->IsEOF());
    EXPECT_EQ(records->RecordCount(), 1);  // the rows visited so far
    EXPECT_TRUE(records->Field("Person").IsNull());
    EXPECT_EQ(ErrorOf([&] { records->Field("Person").AsText(); }), "Ungültige Verwendung von Null");
    records->MoveNext();
    EXPECT_TRUE(records->Field("Datum").IsNull());
    EXPECT_EQ(ErrorOf([&] { records->Field("Datum").AsDateTime(); }), "Ungültige Verwendung von Null");
    EXPECT_EQ(records->Field("Person").AsText(), "Ohne Datum");
    records->MoveNext();
    EXPECT_EQ(records->Field("Datum").AsDateTime(), At(2001, 11, 14, 10));
    records->MoveLast();
    EXPECT_EQ(records->RecordCount(), 3);
}

TEST_P(EngineTest, AMissingTableOrFieldIsAnErrorThatNamesIt) {
    const std::string table = ErrorOf([&] { database().OpenRecordset("SELECT * From Terminne ORDER BY Terminne.Datum"); });
    EXPECT_NE(table.find("Terminne"), std::string::npos) << table;
    const std::string field = ErrorOf([&] {
        database().OpenRecordset("SELECT Termine.Nirgends From Termine ORDER BY Termine.Datum");
    });
    EXPECT_NE(field.find("Nirgends"), std::string::npos) << field;
    host->Insert(At(2001, 11, 14, 10), "Meier");
    auto records = database().OpenRecordset("SELECT * From Termine");
    EXPECT_EQ(ErrorOf([&] { records->Field("Nirgends"); }), "Das Feld Nirgends gibt es in der Abfrage nicht.");
    // Names compare without regard to case, with or without brackets.
    EXPECT_EQ(records->Field("[person]").AsText(), "Meier");
    // The control, with every property set, stays usable and loads again
    // once the name is right.
    control.SetDataSourceDates("Terminne");
    Show(At(2001, 11, 14));
    control.SetDataSourceDates("Termine");
    Show(At(2001, 11, 14));
    EXPECT_EQ(LinesOf(At(2001, 11, 14)), Lines{"10:00 Meier"});
}

std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    switch (info.param) {
    case Engine::SqliteDayCount: return "SqliteDayCount";
    case Engine::PgTimestamp: return "PostgresTimestamp";
    case Engine::PgDayCount: return "PostgresDayCount";
    }
    return "?";
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineTest,
                         ::testing::Values(Engine::SqliteDayCount, Engine::PgTimestamp, Engine::PgDayCount), EngineName);

} // namespace
} // namespace agendor::testing
