// The control's texts written out for PostgreSQL against a catalog entry,
// without a server: names as the catalog stores them, dates as the column's
// type holds them, German order only on text.
#include "agendor/platform/postgres/pg_dialect.h"

#include <gtest/gtest.h>

namespace agendor::postgres {
namespace {

// A host table created without quotes (names folded to lower case) with a
// timestamp date, in the host's schema "praxis", and one with quoted
// mixed-case names and a day count.
const TableInfo kFolded{"termine",
                        {{"terminid", ColumnType::Number, "integer"},
                         {"datum", ColumnType::Timestamp, "timestamp without time zone"},
                         {"person", ColumnType::Text, "text"}},
                        "16385",
                        false,
                        "praxis"};
const TableInfo kQuoted{"Termine Alt",
                        {{"TerminID", ColumnType::Number, "integer"},
                         {"Datum", ColumnType::Number, "double precision"},
                         {"Person", ColumnType::Text, "text"}},
                        "16390",
                        false,
                        {}};
const TableInfo kPersons{"Personen",
                         {{"PersonID", ColumnType::Number, "integer"}, {"Name", ColumnType::Text, "text"}},
                         "16395",
                         false,
                         {}};

struct TranslationCase {
    const char* name;
    const char* text;
    const TableInfo* table;
    const char* expected;
};

std::ostream& operator<<(std::ostream& out, const TranslationCase& c) { return out << c.name; }

class Translates : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(Translates, ToPostgres) {
    const TranslationCase& c = GetParam();
    EXPECT_EQ(TranslateForServer(c.text, [&](const std::string&) { return c.table; }), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ControlTexts, Translates,
    ::testing::Values(
        TranslationCase{"WeekOnTimestamps",
                        "SELECT *  From Termine WHERE (((Termine.Datum)>=#3/5/2001# And (Termine.Datum)<#3/12/2001#)) "
                        "ORDER BY Termine.Datum",
                        &kFolded,
                        "SELECT * FROM \"praxis\".\"termine\" WHERE ((\"termine\".\"datum\" >= TIMESTAMP '2001-03-05 00:00:00') "
                        "AND (\"termine\".\"datum\" < TIMESTAMP '2001-03-12 00:00:00')) ORDER BY \"termine\".\"datum\""},
        TranslationCase{"OneDayOnTimestampsIsARange",
                        "SELECT *  From Termine WHERE (((DateValue([Datum]))=#3/5/2001#)) ORDER BY Termine.Datum",
                        &kFolded,
                        "SELECT * FROM \"praxis\".\"termine\" WHERE (\"datum\" >= TIMESTAMP '2001-03-05 00:00:00' AND \"datum\" < "
                        "TIMESTAMP '2001-03-06 00:00:00') ORDER BY \"termine\".\"datum\""},
        TranslationCase{"MonthOnDayCountsWithAQuotedName",
                        "SELECT *  From [Termine Alt] WHERE ((([Termine Alt].Datum)>=#12/01/2001# And "
                        "([Termine Alt].Datum)<#1/01/2002#)) ORDER BY [Termine Alt].Datum",
                        &kQuoted,
                        "SELECT * FROM \"Termine Alt\" WHERE ((\"Termine Alt\".\"Datum\" >= 37226) AND (\"Termine "
                        "Alt\".\"Datum\" < 37257)) ORDER BY \"Termine Alt\".\"Datum\""},
        TranslationCase{"DayBefore1900OnDayCountsInCalendarOrder",
                        "SELECT *  From [Termine Alt] WHERE (((DateValue([Datum]))=#12/29/1899#)) ORDER BY "
                        "[Termine Alt].Datum",
                        &kQuoted,
                        "SELECT * FROM \"Termine Alt\" WHERE (\"Datum\" > -2 AND \"Datum\" <= -1) ORDER BY (CASE WHEN "
                        "\"Termine Alt\".\"Datum\" < 0 THEN 2 * pg_catalog.trunc(\"Termine Alt\".\"Datum\") - \"Termine "
                        "Alt\".\"Datum\" ELSE \"Termine Alt\".\"Datum\" END)"},
        TranslationCase{"PersonsInGermanOrder", "SELECT Personen.Name,Personen.PersonID From Personen ORDER BY Personen.Name",
                        &kPersons,
                        "SELECT \"Personen\".\"Name\" AS \"Name\", \"Personen\".\"PersonID\" AS \"PersonID\" FROM "
                        "\"Personen\" ORDER BY \"Personen\".\"Name\" COLLATE pg_catalog.\"de-x-icu\""},
        TranslationCase{"NumbersKeepTheirOwnOrder", "SELECT * From Personen ORDER BY PersonID DESC", &kPersons,
                        "SELECT * FROM \"Personen\" ORDER BY \"PersonID\" DESC"},
        TranslationCase{"AnUnknownTableKeepsItsNameForTheServersMessage", "SELECT * From Nirgends", nullptr,
                        "SELECT * FROM \"Nirgends\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PgDialect, TheLiteralTranslationComputesTheDayOfEveryRow) {
    EXPECT_EQ(TranslateForServer("SELECT *  From Termine WHERE (((DateValue([Datum]))=#3/5/2001#)) ORDER BY Termine.Datum",
                                 [](const std::string&) { return &kFolded; }, false),
              "SELECT * FROM \"praxis\".\"termine\" WHERE (pg_catalog.date_trunc('day', \"datum\") = TIMESTAMP '2001-03-05 00:00:00') "
              "ORDER BY \"termine\".\"datum\"");
}

} // namespace
} // namespace agendor::postgres
