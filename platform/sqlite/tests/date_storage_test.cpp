// The form a host's store writes a date field in, found from the field's
// values and its declared type, and the "still at" comparison on each form.
#include "agendor/platform/sqlite/date_storage.h"

#include <gtest/gtest.h>

#include "agendor/core/date_time.h"
#include "test_files.h"

namespace agendor::sqlite {
namespace {

using testing::HostConnection;
using testing::TempFolder;

const DateTime kAt = dt::FromYmdHms(2027, 3, 14, 9, 30, 0);

// The form is found from the field's values and declared type, written
// in, and a value stored in it is found again by StillAt to the
// millisecond; a minute off is not.
TEST(DateForm, IsFoundAndWrittenAndComparedInTheFieldsForm) {
    const struct {
        const char* column;        // declared type
        const char* values;        // inserted, may be empty
        const char* written;       // kAt + 15 s as the store writes it ("real" for a number)
        const char* writtenWhole;  // kAt as the store writes it
    } cases[] = {
        {"REAL", "", "real", "real"},
        {"TEXT", "", "2027-03-14 09:30:15", "2027-03-14 09:30:00"},
        {"VARCHAR(30)", "", "2027-03-14 09:30:15", "2027-03-14 09:30:00"},
        {"DATETIME", "", "real", "real"},
        {"", "(46460.5)", "real", "real"},
        {"", "('2027-01-01 08:00:00')", "2027-03-14 09:30:15", "2027-03-14 09:30:00"},
        {"TEXT", "('2026-01-01 08:00'), ('2027-01-01T08:00')", "2027-03-14T09:30:15", "2027-03-14T09:30"},
        {"TEXT", "('2027-01-01')", "2027-03-14 09:30:15", "2027-03-14 09:30:00"},
        {"TEXT", "('2027-01-01T08:00:00.250')", "2027-03-14T09:30:15", "2027-03-14T09:30:00"},
        // Both kinds: the storage the engine assumes by default.
        {"", "(46460.5), ('2027-01-01 08:00')", "real", "real"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.column) + " " + c.values);
        TempFolder folder;
        HostConnection host(folder.File("t.sqlite"));
        host.Execute(std::string("CREATE TABLE T (ID INTEGER PRIMARY KEY, Datum ") + c.column + ")");
        if (*c.values) host.Execute(std::string("INSERT INTO T (Datum) VALUES ") + c.values);
        const DateForm form = FindDateForm(host.Handle(), "T", "Datum");
        const auto written = [&](DateTime when) {
            return form.storage == DateStorage::Real ? std::string("real") : IsoText(when, form);
        };
        EXPECT_EQ(written(kAt), c.writtenWhole);
        EXPECT_EQ(written(kAt + 15.0 / 86400), c.written);

        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(host.Handle(), "INSERT INTO T (ID, Datum) VALUES (100, ?1)", -1, &insert, nullptr);
        BindDate(insert, 1, kAt, form);
        ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_finalize(insert);
        const auto still = [&](DateTime when) {
            sqlite3_stmt* s = nullptr;
            const std::string sql = "SELECT count(*) FROM T WHERE ID = 100 AND " + StillAt("Datum", 1);
            sqlite3_prepare_v2(host.Handle(), sql.c_str(), -1, &s, nullptr);
            BindStillAt(s, 1, when);
            sqlite3_step(s);
            const int count = sqlite3_column_int(s, 0);
            sqlite3_finalize(s);
            return count;
        };
        EXPECT_EQ(still(kAt), 1);
        EXPECT_EQ(still(kAt + 0.0004 / 86400), 1);
        EXPECT_EQ(still(kAt + 1.0 / 1440), 0);
    }
}

TEST(DateForm, AMillisecondIsWrittenAndTextsThatAreNoDatesAreRefused) {
    DateForm minutes{DateStorage::IsoText, ' ', false};
    EXPECT_EQ(IsoText(kAt + 15.25 / 86400, minutes), "2027-03-14 09:30:15.250");
    TempFolder folder;
    HostConnection host(folder.File("t.sqlite"));
    host.Execute("CREATE TABLE T (Datum TEXT); INSERT INTO T VALUES ('14.03.2027')");
    EXPECT_THROW(FindDateForm(host.Handle(), "T", "Datum"), Error);
}

} // namespace
} // namespace agendor::sqlite
