// The demo host's write handlers on a real SQLite file, called as the
// control calls them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "demo/change_handlers.h"
#include "agendor/core/date_time.h"
#include "agendor/core/locale.h"
#include "agendor/platform/sqlite/sample_database.h"
#include "agendor/platform/sqlite/sqlite_database.h"
#include "agendor/platform/sqlite/tests/test_files.h"

namespace agendor::demo {
namespace {

class ChangeHandlersTest : public ::testing::Test {
protected:
    virtual sqlite::DateStorage Storage() const { return sqlite::DateStorage::Real; }
    void SetUp() override {
        sqlite::CreateSampleDatabase(
            path_, {.persons = 5, .appointments = 20, .fromYear = 2027, .toYear = 2027, .dateStorage = Storage()});
        store_ = std::make_unique<AppointmentStore>(path_, AppointmentTable{"Termine", "TerminID", "Datum", "Name", "PersonID"});
    }
    ChangeHandlers Handlers(bool answer = true) {
        return ChangeHandlers{*store_, [this, answer](const std::string& q) { questions_.push_back(q); return answer; },
                              [this](const std::string& r) { refusals_.push_back(r); }, nullptr};
    }

    // One value read from the file with a fresh connection, as another
    // program would see it after the change: as text, "" for no row.
    template <typename Read>
    auto Value(const std::string& sql, Read read) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
        auto value = read(s, sqlite3_step(s) == SQLITE_ROW);
        sqlite3_finalize(s);
        sqlite3_close(db);
        return value;
    }
    std::string Text(const std::string& sql) {
        return Value(sql, [](sqlite3_stmt* s, bool row) {
            const unsigned char* text = row ? sqlite3_column_text(s, 0) : nullptr;
            return std::string(text ? reinterpret_cast<const char*>(text) : "");
        });
    }
    double Scalar(const std::string& sql) {
        return Value(sql, [](sqlite3_stmt* s, bool row) { return row ? sqlite3_column_double(s, 0) : -1; });
    }
    void Execute(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

    sqlite::testing::TempFolder folder_;
    std::string path_ = folder_.File("termine.sqlite");
    std::unique_ptr<AppointmentStore> store_;
    std::vector<std::string> questions_, refusals_;
};

TEST_F(ChangeHandlersTest, DateNewInsertsTheAppointmentButNoDateThatIsNoNumber) {
    const DateTime when = dt::FromYmdHms(2027, 3, 14, 9, 30, 0);
    bool cancel = false;
    Handlers().DateNew(when, 3, "Meier", cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(Scalar("SELECT count(*) FROM Termine"), 21);
    EXPECT_DOUBLE_EQ(Scalar("SELECT Datum FROM Termine WHERE Name = 'Meier' AND PersonID = 3"), when);
    // A date that is no number is refused before it reaches the file.
    Handlers().DateNew(std::nan(""), 1, "Albers", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(Scalar("SELECT count(*) FROM Termine"), 21);
}

TEST_F(ChangeHandlersTest, DateChangeMovesOnlyTheStoredTime) {
    const DateTime old = Scalar("SELECT Datum FROM Termine WHERE TerminID = 1");
    bool cancel = false;
    Handlers().DateChange(1, old, old + 1.0 / 24, cancel);
    EXPECT_FALSE(cancel);
    EXPECT_DOUBLE_EQ(Scalar("SELECT Datum FROM Termine WHERE TerminID = 1"), old + 1.0 / 24);
    // A second change from the old time finds the record changed meanwhile.
    Handlers().DateChange(1, old, old + 2.0 / 24, cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(refusals_, std::vector<std::string>{"Der Termin wurde inzwischen von einem anderen Benutzer geändert."});
    EXPECT_DOUBLE_EQ(Scalar("SELECT Datum FROM Termine WHERE TerminID = 1"), old + 1.0 / 24);
}

TEST_F(ChangeHandlersTest, DateDelAsksAndDeletesOrKeeps) {
    const DateTime when = Scalar("SELECT Datum FROM Termine WHERE TerminID = 2");
    bool cancel = false;
    Handlers(false).DateDel(2, when, "x", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(questions_, std::vector<std::string>{"Termin löschen?"});
    EXPECT_EQ(Scalar("SELECT count(*) FROM Termine WHERE TerminID = 2"), 1);
    // Moved by another user meanwhile: kept, and the user is told.
    cancel = false;
    Handlers(true).DateDel(2, when + 0.25, "x", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(refusals_, std::vector<std::string>{"Der Termin wurde inzwischen von einem anderen Benutzer geändert."});
    cancel = false;
    Handlers(true).DateDel(2, when, "x", cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(Scalar("SELECT count(*) FROM Termine WHERE TerminID = 2"), 0);
    // Deleting it again is refused: nothing was there to delete.
    Handlers(true).DateDel(2, when, "x", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(refusals_.size(), 2u);
}

// Another program holds the file past the busy timeout: a reader keeps
// the write from committing, a writer keeps it from starting. Either way
// the user is told, nothing reaches the file, and the next write works.
struct Blocked {
    const char* name;
    const char* hold;  // what the other connection runs and keeps open
    // first: the date-time of TerminID 1 as the control read it.
    std::function<void(ChangeHandlers&, bool&, DateTime first)> change;
    const char* refusal;
};

void PrintTo(const Blocked& b, std::ostream* out) { *out << b.name; }

class BlockedFileTest : public ChangeHandlersTest, public ::testing::WithParamInterface<Blocked> {};

TEST_P(BlockedFileTest, IsRefusedAsBusyAndNothingIsStored) {
    const std::string stored = "SELECT group_concat(TerminID || '@' || Datum) FROM Termine";
    const std::string before = Text(stored);
    const DateTime first = Scalar("SELECT Datum FROM Termine WHERE TerminID = 1");
    sqlite3* other = nullptr;
    sqlite3_open(path_.c_str(), &other);
    sqlite3_stmt* reading = nullptr;
    sqlite3_exec(other, GetParam().hold, nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(other, "SELECT count(*) FROM Termine", -1, &reading, nullptr);
    ASSERT_EQ(sqlite3_step(reading), SQLITE_ROW);
    store_->SetBusyTimeout(50);
    ChangeHandlers handlers = Handlers();
    bool cancel = false;
    GetParam().change(handlers, cancel, first);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(refusals_, std::vector<std::string>{GetParam().refusal});
    sqlite3_finalize(reading);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(Text(stored), before);
    // Once the other program is done, the same change goes through.
    cancel = false;
    GetParam().change(handlers, cancel, first);
    EXPECT_FALSE(cancel);
    EXPECT_NE(Text(stored), before);
}

const DateTime kMay1 = dt::FromYmdHms(2027, 5, 1, 9, 0, 0);
void BookOnMay1(ChangeHandlers& h, bool& c, DateTime) { h.DateNew(kMay1, 1, "Albers", c); }
void MoveFirstToMay1(ChangeHandlers& h, bool& c, DateTime first) { h.DateChange(1, first, kMay1, c); }
void DeleteFirst(ChangeHandlers& h, bool& c, DateTime first) { h.DateDel(1, first, "x", c); }
#define BUSY "Die Datenbankdatei ist gerade von einem anderen Programm belegt; es wurde nichts gespeichert."
INSTANTIATE_TEST_SUITE_P(
    , BlockedFileTest,
    ::testing::Values(
        Blocked{"InsertPastAReader", "BEGIN", BookOnMay1,
                "Der Termin am 01.05.2027 09:00 konnte nicht gespeichert werden:\n" BUSY},
        Blocked{"RetimePastAReader", "BEGIN", MoveFirstToMay1, "Der Termin konnte nicht verschoben werden:\n" BUSY},
        Blocked{"DeletePastAReader", "BEGIN", DeleteFirst, "Der Termin konnte nicht gelöscht werden:\n" BUSY},
        Blocked{"InsertPastAWriter", "BEGIN EXCLUSIVE", BookOnMay1,
                "Der Termin am 01.05.2027 09:00 konnte nicht gespeichert werden:\n" BUSY},
        Blocked{"DeletePastAWriter", "BEGIN EXCLUSIVE", DeleteFirst,
                "Der Termin konnte nicht gelöscht werden:\n" BUSY}),
    [](const auto& info) { return std::string(info.param.name); });
#undef BUSY

// Every operation in each form a date field may keep its values in: the
// store writes the field's own form, finds the rows the control shows, and
// the engine reads the result.
struct Form {
    const char* name;
    sqlite::DateStorage storage;
    const char* rewrite;  // turns the sample's "YYYY-MM-DD HH:MM:SS" into the form
    const char* at0930;   // 14.03.2027 09:30 as the store must write it
};

void PrintTo(const Form& f, std::ostream* out) { *out << f.name; }

class StorageFormTest : public ChangeHandlersTest, public ::testing::WithParamInterface<Form> {
protected:
    sqlite::DateStorage Storage() const override { return GetParam().storage; }
};

TEST_P(StorageFormTest, EveryChangeIsStoredInTheFieldsFormAndReadBack) {
    if (*GetParam().rewrite) Execute(std::string("UPDATE Termine SET Datum = ") + GetParam().rewrite);
    const auto engineDay = [&](DateTime day) {
        auto db = sqlite::SqliteDatabase::Open(path_);
        std::vector<std::string> rows;
        const std::string text = "SELECT * From Termine WHERE (((DateValue([Datum]))=#" +
                                 dt::Format(day, "m/d/yyyy", DefaultLocale()) + "#)) ORDER BY Termine.Datum";
        for (auto r = db->OpenRecordset(text); !r->IsEOF(); r->MoveNext())
            rows.push_back(dt::Format(r->Field("Datum").AsDateTime(), "hh:nn", DefaultLocale()) + " " +
                           r->Field("Name").AsText());
        return rows;
    };
    const std::string form = GetParam().at0930;
    const DateTime at0930 = dt::FromYmdHms(2027, 3, 14, 9, 30, 0), at1015 = at0930 + 45.0 / 1440;
    const auto raw = [&](std::int64_t id) {
        return Text("SELECT typeof(Datum) || ' ' || Datum FROM Termine WHERE TerminID = " + std::to_string(id));
    };
    const DateTime moved = at1015 + 3;  // 17.03.2027 10:15
    const auto expected = [&](const std::string& hhmm, const std::string& day = "14") {
        if (form == "real") {
            char value[32];
            std::snprintf(value, sizeof value, "%.17g", day == "17" ? moved : hhmm == "09:30" ? at0930 : at1015);
            return "real " + Text(std::string("SELECT CAST(") + value + " AS REAL)");
        }
        std::string text = form;
        return "text " + text.replace(11, 5, hhmm).replace(8, 2, day);
    };

    std::int64_t id = 0;
    ASSERT_EQ(store_->Insert(at0930, 3, "Meier", &id), std::nullopt);
    EXPECT_EQ(raw(id), expected("09:30"));
    EXPECT_EQ(engineDay(at0930), std::vector<std::string>{"09:30 Meier"});
    ASSERT_EQ(store_->ChangeTime(static_cast<std::int32_t>(id), at0930, at1015), std::nullopt);
    EXPECT_EQ(raw(id), expected("10:15"));
    EXPECT_EQ(engineDay(at0930), std::vector<std::string>{"10:15 Meier"});
    // Moved to another day, the time kept, and back.
    ASSERT_EQ(store_->ChangeTime(static_cast<std::int32_t>(id), at1015, moved), std::nullopt);
    EXPECT_EQ(raw(id), expected("10:15", "17"));
    EXPECT_TRUE(engineDay(at0930).empty());
    EXPECT_EQ(engineDay(moved), std::vector<std::string>{"10:15 Meier"});
    EXPECT_EQ(store_->ChangeTime(static_cast<std::int32_t>(id), at1015, moved + 1), kChangedByOther);
    ASSERT_EQ(store_->ChangeTime(static_cast<std::int32_t>(id), moved, at1015), std::nullopt);
    // From a time it no longer has: refused, and kept.
    EXPECT_EQ(store_->ChangeTime(static_cast<std::int32_t>(id), at0930, at0930 + 1), kChangedByOther);
    EXPECT_EQ(store_->Delete(static_cast<std::int32_t>(id), at0930), kChangedByOther);
    EXPECT_EQ(raw(id), expected("10:15"));
    ASSERT_EQ(store_->Delete(static_cast<std::int32_t>(id), at1015), std::nullopt);
    EXPECT_TRUE(engineDay(at0930).empty());
    EXPECT_EQ(raw(id), "");

    // A row of the sample, as the control read it.
    const DateTime first =
        sqlite::SqliteDatabase::Open(path_)->OpenRecordset("SELECT * From Termine WHERE Termine.TerminID = 1")
            ->Field("Datum").AsDateTime();
    EXPECT_EQ(store_->ChangeTime(1, first, first + 1.0 / 24), std::nullopt);
    EXPECT_EQ(store_->Delete(1, first + 1.0 / 24), std::nullopt);
    EXPECT_EQ(Scalar("SELECT count(*) FROM Termine"), 19);
    EXPECT_EQ(Scalar("SELECT count(*) FROM Termine WHERE typeof(Datum) <> '" +
                     std::string(GetParam().storage == sqlite::DateStorage::Real ? "real" : "text") + "'"),
              0);
}

INSTANTIATE_TEST_SUITE_P(
    , StorageFormTest,
    ::testing::Values(Form{"Real", sqlite::DateStorage::Real, "", "real"},
                      Form{"IsoBlankSeconds", sqlite::DateStorage::IsoText, "", "2027-03-14 09:30:00"},
                      Form{"IsoBlankMinutes", sqlite::DateStorage::IsoText, "substr(Datum, 1, 16)", "2027-03-14 09:30"},
                      Form{"IsoTSeconds", sqlite::DateStorage::IsoText, "replace(Datum, ' ', 'T')",
                           "2027-03-14T09:30:00"},
                      Form{"IsoTMinutes", sqlite::DateStorage::IsoText, "replace(substr(Datum, 1, 16), ' ', 'T')",
                           "2027-03-14T09:30"}),
    [](const auto& info) { return std::string(info.param.name); });

// A table whose ids are not unique: the change would hit two appointments.
TEST_F(ChangeHandlersTest, AnIdThatIsNotUniqueIsRefusedAsSuch) {
    Execute("CREATE TABLE Doppelt (TerminID INTEGER, Datum REAL, Name TEXT);"
            "INSERT INTO Doppelt VALUES (7, 46460.5, 'a'), (7, 46460.5, 'b'), (8, 46460.5, 'c')");
    store_ = std::make_unique<AppointmentStore>(path_, AppointmentTable{"Doppelt", "TerminID", "Datum", "Name", ""});
    const std::string notUnique =
        "Die Termin-ID 7 ist nicht eindeutig: 2 Termine in der Tabelle Doppelt tragen sie. Es wurde nichts geändert.";
    bool cancel = false;
    Handlers().DateDel(7, 46460.5, "a", cancel);
    EXPECT_TRUE(cancel);
    Handlers().DateChange(7, 46460.5, 46460.75, cancel);
    EXPECT_EQ(refusals_, (std::vector<std::string>{"Der Termin konnte nicht gelöscht werden:\n" + notUnique,
                                                    "Der Termin konnte nicht verschoben werden:\n" + notUnique}));
    EXPECT_EQ(Text("SELECT group_concat(TerminID || Name || Datum) FROM Doppelt"),
              "7a46460.5,7b46460.5,8c46460.5");
    EXPECT_EQ(store_->Delete(8, 46460.5), std::nullopt);
}

TEST_F(ChangeHandlersTest, AStoreRefusesATableWithoutTheNamedFieldsOrAFileThatIsNotThere) {
    EXPECT_THROW(AppointmentStore(path_, AppointmentTable{"Termine", "TerminID", "Beginn", "Name", ""}), Error);
    EXPECT_THROW(AppointmentStore("/nonexistent/dir/x.sqlite", {"Termine", "TerminID", "Datum", "Name", ""}), Error);
}

} // namespace
} // namespace agendor::demo
