// The control's texts written out for PostgreSQL against a catalog entry,
// without a server: names as the catalog stores them, dates as the column's
// type holds them, German order only on text; and every comparison of the
// dialect run on the server for each type a date field may have.
#include "agendor/platform/postgres/pg_dialect.h"

#include <cstdio>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "agendor/platform/database.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/postgres/pg_database.h"
#include "tests/support/calendar_moments.h"
#include "tests/support/pg_test_schema.h"

namespace agendor::postgres {
namespace {

using namespace agendor::testing;

// A host table created without quotes (names folded to lower case) with a
// timestamp date, in the host's schema "praxis", and one with quoted
// mixed-case names and a day count.
const TableInfo kFolded{"termine",
                        {{"terminid", ColumnType::Number, "integer"},
                         {"datum", ColumnType::Timestamp, "timestamp without time zone"},
                         {"person", ColumnType::Text, "text"}}, "16385", false, "praxis"};
const TableInfo kQuoted{"Termine Alt",
                        {{"TerminID", ColumnType::Number, "integer"}, {"Datum", ColumnType::Number, "double precision"},
                         {"Person", ColumnType::Text, "text"}}, "16390", false, {}};
const TableInfo kPersons{"Personen", {{"PersonID", ColumnType::Number, "integer"}, {"Name", ColumnType::Text, "text"}},
                         "16395", false, {}};

struct TranslationCase {
    const char* name;
    const char* text;
    const TableInfo* table;
    const char* expected;
    bool rewriteDateValue = true;  // false: the literal translation computes the day of every row
};

std::ostream& operator<<(std::ostream& out, const TranslationCase& c) { return out << c.name; }

class Translates : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(Translates, ToPostgres) {
    const TranslationCase& c = GetParam();
    EXPECT_EQ(TranslateForServer(c.text, [&](const std::string&) { return c.table; }, c.rewriteDateValue), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ControlTexts, Translates,
    ::testing::Values(
        TranslationCase{"WeekOnTimestamps",
                        "SELECT *  From Termine WHERE (((Termine.Datum)>=#3/5/2001# And (Termine.Datum)<#3/12/2001#)) "
                        "ORDER BY Termine.Datum", &kFolded,
                        "SELECT * FROM \"praxis\".\"termine\" WHERE ((\"termine\".\"datum\" >= TIMESTAMP '2001-03-05 00:00:00') "
                        "AND (\"termine\".\"datum\" < TIMESTAMP '2001-03-12 00:00:00')) ORDER BY \"termine\".\"datum\""},
        TranslationCase{"OneDayOnTimestampsIsARange",
                        "SELECT *  From Termine WHERE (((DateValue([Datum]))=#3/5/2001#)) ORDER BY Termine.Datum", &kFolded,
                        "SELECT * FROM \"praxis\".\"termine\" WHERE (\"datum\" >= TIMESTAMP '2001-03-05 00:00:00' AND \"datum\" < "
                        "TIMESTAMP '2001-03-06 00:00:00') ORDER BY \"termine\".\"datum\""},
        TranslationCase{"MonthOnDayCountsWithAQuotedName",
                        "SELECT *  From [Termine Alt] WHERE ((([Termine Alt].Datum)>=#12/01/2001# And "
                        "([Termine Alt].Datum)<#1/01/2002#)) ORDER BY [Termine Alt].Datum", &kQuoted,
                        "SELECT * FROM \"Termine Alt\" WHERE ((\"Termine Alt\".\"Datum\" >= 37226) AND (\"Termine "
                        "Alt\".\"Datum\" < 37257)) ORDER BY \"Termine Alt\".\"Datum\""},
        TranslationCase{"DayBefore1900OnDayCountsInCalendarOrder",
                        "SELECT *  From [Termine Alt] WHERE (((DateValue([Datum]))=#12/29/1899#)) ORDER BY "
                        "[Termine Alt].Datum", &kQuoted,
                        "SELECT * FROM \"Termine Alt\" WHERE (\"Datum\" > -2 AND \"Datum\" <= -1) ORDER BY (CASE WHEN "
                        "\"Termine Alt\".\"Datum\" < 0 THEN 2 * pg_catalog.trunc(\"Termine Alt\".\"Datum\") - \"Termine "
                        "Alt\".\"Datum\" ELSE \"Termine Alt\".\"Datum\" END)"},
        TranslationCase{"PersonsInGermanOrder", "SELECT Personen.Name,Personen.PersonID From Personen ORDER BY Personen.Name",
                        &kPersons, "SELECT \"Personen\".\"Name\" AS \"Name\", \"Personen\".\"PersonID\" AS \"PersonID\" FROM "
                        "\"Personen\" ORDER BY \"Personen\".\"Name\" COLLATE pg_catalog.\"de-x-icu\""},
        TranslationCase{"NumbersKeepTheirOwnOrder", "SELECT * From Personen ORDER BY PersonID DESC", &kPersons,
                        "SELECT * FROM \"Personen\" ORDER BY \"PersonID\" DESC"},
        TranslationCase{"AnUnknownTableKeepsItsNameForTheServersMessage", "SELECT * From Nirgends", nullptr,
                        "SELECT * FROM \"Nirgends\""},
        TranslationCase{"TheLiteralTranslationComputesTheDayOfEveryRow",
                        "SELECT *  From Termine WHERE (((DateValue([Datum]))=#3/5/2001#)) ORDER BY Termine.Datum", &kFolded,
                        "SELECT * FROM \"praxis\".\"termine\" WHERE (pg_catalog.date_trunc('day', \"datum\") = TIMESTAMP "
                        "'2001-03-05 00:00:00') ORDER BY \"termine\".\"datum\"", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct ColumnCase {
    const char* name;
    const char* type;
    bool midnightsOnly;  // a date holds no time of day
    bool dayCount;
    const char* zone;  // appended to a timestamp's text
};

std::ostream& operator<<(std::ostream& out, const ColumnCase& c) { return out << c.name; }

class DialectOnServer : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(DialectOnServer, EveryComparisonSelectsTheDaysOfTheCalendarInItsOrder) {
    const ColumnCase& column = GetParam();
    agendor::testing::PgTestSchema schema;
    std::string insert = std::string("CREATE TABLE \"T\" (\"ID\" integer, \"Datum\" ") + column.type + ");";
    // Each stored moment's id is its place in kMoments.
    std::vector<int> stored;
    for (int id = 1; id <= static_cast<int>(std::size(kMoments)); ++id) {
        const Moment& m = kMoments[id - 1];
        if (column.midnightsOnly && m.hour + m.minute + m.second != 0) continue;
        stored.push_back(id);
        char text[64];
        if (column.dayCount) std::snprintf(text, sizeof text, "%s", FieldValue(m.Value()).AsText().c_str());
        else
            std::snprintf(text, sizeof text, "'%04d-%02d-%02d %02d:%02d:%02d%s'", m.year, m.month, m.day, m.hour,
                          m.minute, m.second, column.zone);
        insert += "INSERT INTO \"T\" VALUES (" + std::to_string(id) + ", " + text + ");";
    }
    schema.Execute(insert);
    auto db = PgDatabase::Open(schema.Conninfo());
    for (const Moment& literal : kLiterals) {
        for (const std::string op : kComparisons) {
            for (const bool datePart : {false, true}) {
                const std::string text = std::string("SELECT * From T WHERE ") +
                                         (datePart ? "DateValue(T.Datum)" : "T.Datum") + " " + op + " " +
                                         literal.Literal() + " ORDER BY T.Datum";
                // kMoments are listed in calendar order
                std::vector<int> expectedIds, ids;
                for (const int id : stored) {
                    const double value = kMoments[id - 1].Value();
                    const double left = datePart ? static_cast<double>(dt::DayNumber(value)) : value;
                    if (Holds(CalendarKey(left), op, CalendarKey(literal.Value()))) expectedIds.push_back(id);
                }
                auto records = db->OpenRecordset(text);
                for (; !records->IsEOF(); records->MoveNext()) ids.push_back(records->Field("ID").AsInt32());
                EXPECT_EQ(ids, expectedIds) << text << "\n" << db->Translate(text);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    DateColumns, DialectOnServer,
    ::testing::Values(ColumnCase{"Timestamp", "timestamp", false, false, ""},
                      ColumnCase{"TimestampWithTimeZone", "timestamptz", false, false, " Europe/Berlin"},
                      ColumnCase{"Date", "date", true, false, ""},
                      ColumnCase{"DayCount", "double precision", false, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace agendor::postgres
