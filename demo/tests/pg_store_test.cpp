// Two desks writing to one server through the demo's PostgreSQL store and
// change handlers: no change is lost, nothing is merged, and each stored
// change is announced with its day.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "agendor/core/date_time.h"
#include "agendor/core/locale.h"
#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_sample.h"
#include "demo/change_handlers.h"
#include "demo/pg_store.h"
#include "tests/support/pg_test_schema.h"

namespace agendor::demo {
namespace {

const AppointmentTable kTable{"Termine", "TerminID", "Datum", "Name", "PersonID"};

class PgStoreTest : public ::testing::TestWithParam<postgres::DateColumn> {
protected:
    PgStoreTest() {
        postgres::PgSampleOptions options;
        options.parameters = {5, 20, 2027, 2027, 3};
        options.dateColumn = GetParam();
        postgres::CreateSampleOnServer(schema.Conninfo(), options);
    }

    void Listen(const PgStore& store) { schema.Execute("LISTEN " + store.Channel()); }

    ChangeHandlers Desk(Store& store, std::vector<std::string>& refusals) {
        return ChangeHandlers{store, [](const std::string&) { return true; },
                              [&refusals](const std::string& reason) { refusals.push_back(reason); }, nullptr};
    }

    DateTime Stored(int id) {
        const std::string value = schema.Value(
            GetParam() == postgres::DateColumn::Timestamp
                ? "SELECT (extract(epoch FROM \"Datum\" - TIMESTAMP '1899-12-30') / 86400)::float8 FROM \"Termine\" "
                  "WHERE \"TerminID\" = " + std::to_string(id)
                : "SELECT \"Datum\" FROM \"Termine\" WHERE \"TerminID\" = " + std::to_string(id));
        return value.empty() ? -1e9 : std::stod(value);
    }

    // The notifications the host's own connection received so far, as
    // "pid:payload"; a committed NOTIFY reaches the listener a little after
    // the commit, so this waits up to 2 s for `expected` of them.
    std::vector<std::string> Notifications(std::size_t expected = 0) {
        std::vector<std::string> received;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        do {
            PQconsumeInput(schema.Handle());
            while (PGnotify* n = PQnotifies(schema.Handle())) {
                received.push_back(std::to_string(n->be_pid) + ":" + n->extra);
                PQfreemem(n);
            }
            if (received.size() >= expected) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (std::chrono::steady_clock::now() < deadline);
        return received;
    }

    agendor::testing::PgTestSchema schema;
};

TEST_P(PgStoreTest, TheSecondDeskRetimingTheSameAppointmentIsRefusedAndNothingIsLost) {
    PgStore first(schema.Conninfo(), kTable), second(schema.Conninfo(), kTable);
    std::vector<std::string> refusedFirst, refusedSecond;
    const DateTime shown = Stored(1);  // what both desks show
    ASSERT_GT(shown, 0);
    EXPECT_EQ(first.Channel(), second.Channel());
    Listen(first);

    bool cancel = false;
    Desk(first, refusedFirst).DateChange(1, shown, shown + 1.0 / 24, cancel);
    EXPECT_FALSE(cancel);
    Desk(second, refusedSecond).DateChange(1, shown, shown + 2.0 / 24, cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(refusedSecond, std::vector<std::string>{"Der Termin wurde inzwischen von einem anderen Benutzer geändert."});
    EXPECT_NEAR(Stored(1), shown + 1.0 / 24, 1e-8);
    // Deleting what the second desk still shows is refused the same way.
    cancel = false;
    Desk(second, refusedSecond).DateDel(1, shown, "x", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(refusedSecond.size(), 2u);
    EXPECT_NEAR(Stored(1), shown + 1.0 / 24, 1e-8);
    EXPECT_TRUE(refusedFirst.empty());

    // Only the stored change was announced, with its day, by the first desk.
    const std::vector<std::string> sent = Notifications(1);
    const dt::Ymd day = dt::ToYmd(shown);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
    EXPECT_EQ(sent, std::vector<std::string>{std::to_string(first.BackendPid()) + ":" + text});
}

TEST_P(PgStoreTest, TwoBookingsOfTheSameMinuteAndPersonAreBothStored) {
    PgStore first(schema.Conninfo(), kTable), second(schema.Conninfo(), kTable);
    Listen(first);
    const DateTime when = dt::FromYmdHms(2027, 3, 15, 9, 15, 0);
    std::int64_t firstId = 0, secondId = 0;
    EXPECT_EQ(first.Insert(when, 2, "Meier", &firstId), std::nullopt);
    EXPECT_EQ(second.Insert(when, 2, "Meier", &secondId), std::nullopt);
    EXPECT_GT(firstId, 20);
    EXPECT_GT(secondId, firstId);
    EXPECT_NEAR(Stored(static_cast<int>(firstId)), when, 1e-8);
    EXPECT_NEAR(Stored(static_cast<int>(secondId)), when, 1e-8);
    EXPECT_EQ(Notifications(2), (std::vector<std::string>{std::to_string(first.BackendPid()) + ":2027-03-15",
                                                         std::to_string(second.BackendPid()) + ":2027-03-15"}));
}

TEST_P(PgStoreTest, AMoveToAnotherDayAnnouncesBothDays) {
    PgStore store(schema.Conninfo(), kTable);
    Listen(store);
    std::vector<std::string> refused;
    const DateTime from = dt::FromYmdHms(2027, 3, 15, 9, 15, 0), to = from + 3;
    std::int64_t id = 0;
    ASSERT_EQ(store.Insert(from, 2, "Meier", &id), std::nullopt);
    Notifications(1);
    bool cancel = false;
    Desk(store, refused).DateChange(static_cast<std::int32_t>(id), from, to, cancel);
    EXPECT_FALSE(cancel);
    EXPECT_NEAR(Stored(static_cast<int>(id)), to, 1e-8);
    const std::string pid = std::to_string(store.BackendPid());
    EXPECT_EQ(Notifications(2), (std::vector<std::string>{pid + ":2027-03-15", pid + ":2027-03-18"}));
}

TEST_P(PgStoreTest, ATableWithoutTheNamedFieldsIsRefused) {
    EXPECT_THROW(PgStore(schema.Conninfo(), AppointmentTable{"Termine", "TerminID", "Beginn", "Name", ""}), Error);
    EXPECT_THROW(PgStore(schema.Conninfo(), AppointmentTable{"Kalender", "TerminID", "Datum", "Name", ""}), Error);
}

// A timestamp with time zone on a server whose TimeZone is UTC, the desk
// in Berlin (the tests' TZ): what the store writes is the desk's wall
// clock, which the control shows again, in winter and summer and in the
// two hours of the switches; 02:30 on 28 Mar 2027 does not exist and
// becomes 03:30, the 02:30 of 31 Oct 2027 happens twice and is one of them.
TEST(PgStoreZone, AStoredTimeIsTheDesksWallClockOnAServerInAnotherZone) {
    agendor::testing::PgTestSchema schema;
    schema.Execute("CREATE TABLE \"Termine\" (\"TerminID\" serial, \"Datum\" timestamptz, \"Name\" text, "
                   "\"PersonID\" integer)");
    const std::string utc = schema.Conninfo("-c TimeZone=UTC");
    PgStore store(utc, kTable);
    auto db = postgres::PgDatabase::Open(utc);
    const struct {
        DateTime stored;
        const char* shown;
        const char* utc;
    } cases[] = {{dt::FromYmdHms(2027, 1, 14, 9, 0, 0), "14.01.2027 09:00", "08:00"},
                 {dt::FromYmdHms(2027, 7, 14, 9, 0, 0), "14.07.2027 09:00", "07:00"},
                 {dt::FromYmdHms(2027, 1, 15, 0, 30, 0), "15.01.2027 00:30", "23:30"},
                 {dt::FromYmdHms(2027, 3, 28, 2, 30, 0), "28.03.2027 03:30", "01:30"},
                 {dt::FromYmdHms(2027, 10, 31, 2, 30, 0), "31.10.2027 02:30", "01:30"}};
    for (const auto& c : cases) {
        std::int64_t id = 0;
        ASSERT_EQ(store.Insert(c.stored, 1, "Meier", &id), std::nullopt);
        auto records = db->OpenRecordset("SELECT * From Termine WHERE Termine.TerminID = " + std::to_string(id));
        EXPECT_EQ(dt::Format(records->Field("Datum").AsDateTime(), "dd.mm.yyyy hh:mm", DefaultLocale()), c.shown);
        EXPECT_EQ(schema.Value("SELECT to_char(\"Datum\" AT TIME ZONE 'UTC', 'HH24:MI') FROM \"Termine\" WHERE "
                               "\"TerminID\" = " + std::to_string(id)),
                  c.utc);
    }
}

// A table whose ids are not unique: the change would hit both appointments,
// so neither is changed and the store says why.
TEST_P(PgStoreTest, AnIdThatIsNotUniqueIsRefusedAsSuch) {
    schema.Execute("ALTER TABLE \"Termine\" DROP CONSTRAINT \"Termine_pkey\";"
                   "INSERT INTO \"Termine\" SELECT * FROM \"Termine\" WHERE \"TerminID\" = 7");
    PgStore store(schema.Conninfo(), kTable);
    Listen(store);
    const DateTime shown = Stored(7);
    const std::string notUnique =
        "Die Termin-ID 7 ist nicht eindeutig: 2 Termine in der Tabelle Termine tragen sie. Es wurde nichts geändert.";
    EXPECT_EQ(store.ChangeTime(7, shown, shown + 1.0 / 24), notUnique);
    EXPECT_EQ(store.Delete(7, shown), notUnique);
    EXPECT_EQ(schema.Value("SELECT count(*) FROM \"Termine\" WHERE \"TerminID\" = 7"), "2");
    EXPECT_NEAR(Stored(7), shown, 1e-8);
    EXPECT_TRUE(Notifications().empty());
}

INSTANTIATE_TEST_SUITE_P(DateColumns, PgStoreTest,
                         ::testing::Values(postgres::DateColumn::Timestamp, postgres::DateColumn::DayCount),
                         [](const auto& info) {
                             return info.param == postgres::DateColumn::Timestamp ? "Timestamp" : "DayCount";
                         });

} // namespace
} // namespace agendor::demo
