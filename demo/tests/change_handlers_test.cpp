// The demo host's write handlers on a real SQLite file, called as the
// control calls them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "demo/change_handlers.h"
#include "agendor/platform/date_time.h"
#include "agendor/platform/sqlite/sample_database.h"

namespace agendor::demo {
namespace {

class ChangeHandlersTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = (std::filesystem::temp_directory_path() /
                 ("agendor-demo-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".sqlite"))
                    .string();
        std::filesystem::remove(path_);
        sqlite::SampleOptions options;
        options.persons = 5;
        options.appointments = 20;
        options.fromYear = options.toYear = 2027;
        sqlite::CreateSampleDatabase(path_, options);
        store_ = std::make_unique<AppointmentStore>(path_, AppointmentTable{"Termine", "TerminID", "Datum", "Name", "PersonID"});
    }
    void TearDown() override {
        store_.reset();
        std::filesystem::remove(path_);
    }

    ChangeHandlers Handlers(bool answer = true) {
        return ChangeHandlers{*store_, [this, answer](const std::string& q) { questions_.push_back(q); return answer; },
                              [this](const std::string& r) { refusals_.push_back(r); }, nullptr};
    }

    // Reads one value from the file with a fresh connection, as another
    // program would see it after the change.
    double Scalar(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
        double value = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_double(s, 0) : -1;
        sqlite3_finalize(s);
        sqlite3_close(db);
        return value;
    }

    std::string path_;
    std::unique_ptr<AppointmentStore> store_;
    std::vector<std::string> questions_, refusals_;
};

TEST_F(ChangeHandlersTest, DateNewInsertsTheAppointment) {
    const DateTime when = dt::FromYmdHms(2027, 3, 14, 9, 30, 0);
    bool cancel = false;
    Handlers().DateNew(when, 3, "Meier", cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(Scalar("SELECT count(*) FROM Termine"), 21);
    EXPECT_DOUBLE_EQ(Scalar("SELECT Datum FROM Termine WHERE Name = 'Meier' AND PersonID = 3"), when);
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
    ASSERT_EQ(refusals_.size(), 1u);
    EXPECT_EQ(refusals_[0], "Der Termin wurde inzwischen von einem anderen Benutzer geändert.");
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

TEST_F(ChangeHandlersTest, AChangeThatCannotBeStoredIsRefusedAndNothingChanges) {
    // Another program holds the write lock longer than the busy timeout allows.
    sqlite3* writer = nullptr;
    sqlite3_open(path_.c_str(), &writer);
    sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(store_->connection(), 50);
    bool cancel = false;
    Handlers().DateNew(dt::FromYmd(2027, 5, 1), 1, "Albers", cancel);
    EXPECT_TRUE(cancel);
    ASSERT_EQ(refusals_.size(), 1u);
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_EQ(Scalar("SELECT count(*) FROM Termine"), 20);
    // A date that is not a number is refused before it reaches the file.
    cancel = false;
    Handlers().DateNew(std::nan(""), 1, "Albers", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(Scalar("SELECT count(*) FROM Termine"), 20);
}

TEST(AppointmentStore, RefusesATableWithoutTheNamedFields) {
    const std::string path = (std::filesystem::temp_directory_path() / "agendor-demo-fields.sqlite").string();
    std::filesystem::remove(path);
    sqlite::CreateSampleDatabase(path, sqlite::SampleOptions{.persons = 2, .appointments = 1});
    EXPECT_THROW(AppointmentStore(path, AppointmentTable{"Termine", "TerminID", "Beginn", "Name", ""}), Error);
    EXPECT_THROW(AppointmentStore("/nonexistent/dir/x.sqlite", AppointmentTable{"Termine", "TerminID", "Datum", "Name", ""}),
                 Error);
    std::filesystem::remove(path);
}

} // namespace
} // namespace agendor::demo
