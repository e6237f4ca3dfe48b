// Results come from the server in its binary form where every column has a
// type this side converts exactly, else as text. Both forms must give the
// same values, bit for bit, and the same failures with the same messages:
// each case reads one column both ways and compares row by row.
#include <bit>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_recordset.h"
#include "tests/support/pg_test_schema.h"

namespace agendor::postgres {
namespace {

using agendor::testing::PgTestSchema;

struct FormatCase {
    const char* name;
    const char* type;  // of the column "Wert"
    const char* fill;  // what follows INSERT INTO "Werte" ("Wert")
    bool binary;       // whether the server sends it in binary
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.name; }

// A value as the control gets it, doubles by their bits, or the failure.
std::string Outcome(const Recordset& records) {
    try {
        const FieldValue value = records.Field("Wert");
        switch (value.Raw().index()) {
        case 0: return "null";
        case 1: return "integer " + std::to_string(std::get<std::int64_t>(value.Raw()));
        case 2: return "double " + std::to_string(std::bit_cast<std::uint64_t>(std::get<double>(value.Raw())));
        default: return "text '" + std::get<std::string>(value.Raw()) + "'";
        }
    } catch (const Error& error) {
        return "error " + error.Description();
    }
}

class ResultFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ResultFormat, GivesTheSameValuesAsText) {
    const FormatCase& c = GetParam();
    PgTestSchema schema;
    schema.Execute(std::string("CREATE TABLE \"Werte\" (\"Nr\" serial, \"Wert\" ") + c.type + ");" +
                   "INSERT INTO \"Werte\" (\"Wert\") " + c.fill);
    PgOptions textOptions;
    textOptions.binaryResults = false;
    auto binary = PgDatabase::Open(schema.Conninfo());
    auto text = PgDatabase::Open(schema.Conninfo(), textOptions);
    const std::string query = "SELECT * From Werte ORDER BY Werte.Nr";
    auto fromBinary = binary->OpenRecordset(query);
    auto fromText = text->OpenRecordset(query);
    EXPECT_EQ(dynamic_cast<PgRecordset&>(*fromBinary).ReadsBinary(), c.binary);
    EXPECT_FALSE(dynamic_cast<PgRecordset&>(*fromText).ReadsBinary());
    std::vector<std::string> binaryValues, textValues;
    for (; !fromBinary->IsEOF(); fromBinary->MoveNext()) binaryValues.push_back(Outcome(*fromBinary));
    for (; !fromText->IsEOF(); fromText->MoveNext()) textValues.push_back(Outcome(*fromText));
    ASSERT_FALSE(textValues.empty());
    EXPECT_EQ(binaryValues, textValues);
}

INSTANTIATE_TEST_SUITE_P(
    PgDatabase, ResultFormat,
    ::testing::Values(
        FormatCase{"TimestampsAroundTheDay", "timestamp",
                   "VALUES ('2001-03-05 00:00'), ('2001-03-05 23:59'), ('2001-03-05 23:59:59'), "
                   "('2001-03-05 09:30:00.5'), ('2001-03-05 09:30:07.123456'), ('2001-03-05 00:00:00.000001'), "
                   "('1899-12-30 00:00'), ('1899-12-29 06:00'), ('1899-12-29 23:59:59.999999'), "
                   "('1850-06-15 12:00'), ('0100-01-01 00:00'), ('9999-12-31 23:59:59.999999'), (NULL)",
                   true},
        // Every few minutes, odd seconds and microseconds, across the day
        // the day numbers turn negative.
        FormatCase{"TimestampsAcrossDayZero", "timestamp",
                   "SELECT generate_series(TIMESTAMP '1899-11-30', TIMESTAMP '1900-02-01', "
                   "INTERVAL '1 hour 7 minutes 13.654321 seconds')",
                   true},
        // Seconds with microseconds in a day's first minute, where a
        // rounding step more or less shows in the value.
        FormatCase{"TimestampsInTheFirstMinute", "timestamp",
                   "SELECT generate_series(TIMESTAMP '1899-10-01', TIMESTAMP '1900-03-01', "
                   "INTERVAL '1 day 0.354761 seconds')",
                   true},
        FormatCase{"TimestampsAcrossTheYears", "timestamp",
                   "SELECT generate_series(TIMESTAMP '0100-01-01', TIMESTAMP '9999-12-31', "
                   "INTERVAL '3 years 17 days 5 hours 59.000001 seconds')",
                   true},
        // Each fails when read; the row after them still reads.
        FormatCase{"TimestampsNoDateTimeHolds", "timestamp",
                   "VALUES ('10000-01-01 00:00'), ('infinity'), ('-infinity'), ('0099-12-31 23:59:59.25'), "
                   "('0100-01-01 00:00 BC'), ('2001-03-05 09:30')",
                   true},
        FormatCase{"Dates", "date",
                   "VALUES ('2001-03-05'), ('1899-12-30'), ('1899-12-29'), ('0100-01-01'), ('9999-12-31'), "
                   "('10000-01-01'), ('infinity'), ('-infinity'), ('0044-03-15 BC'), (NULL)",
                   true},
        FormatCase{"SmallIntegers", "smallint", "VALUES (-32768), (0), (32767)", true},
        FormatCase{"Integers", "integer", "VALUES (-2147483648), (-1), (2147483647)", true},
        FormatCase{"BigIntegers", "bigint", "VALUES (-9223372036854775808), (5000000000), (9223372036854775807)",
                   true},
        FormatCase{"ObjectIds", "oid", "VALUES (0), (4294967295)", true},
        FormatCase{"SinglePrecision", "real",
                   "VALUES (1.1), (0.1), ('-0'), (3.4e38), (1e-45), (16777217), ('NaN'), ('Infinity'), "
                   "('-Infinity')",
                   true},
        FormatCase{"DoublePrecision", "double precision",
                   "VALUES (-1.25), (0.1), (1e-300), ('-0'), (2958465.999988426), ('NaN'), ('Infinity'), "
                   "('-Infinity')",
                   true},
        FormatCase{"Booleans", "boolean", "VALUES (true), (false), (NULL)", true},
        FormatCase{"Text", "text", "VALUES ('Müller'), (''), ('Strauß')", true},
        FormatCase{"VaryingCharacters", "varchar(20)", "VALUES ('Ärmel'), ('de Vries')", true},
        FormatCase{"PaddedCharacters", "char(6)", "VALUES ('ab'), ('Özdemi')", true},
        FormatCase{"Names", "name", "VALUES ('Zander')", true},
        // Types without an exact binary reading keep the whole result text.
        FormatCase{"NumericStaysText", "numeric", "VALUES (2.5), (-0.125)", false},
        FormatCase{"TimestampWithZoneStaysText", "timestamptz", "VALUES ('2001-03-05 09:30+01')", false}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace agendor::postgres
