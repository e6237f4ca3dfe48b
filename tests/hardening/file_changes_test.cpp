// The host's database file deleted, replaced or locked by a writer while
// the control has it open.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/platform/sqlite/sqlite_database.h"
#include "agendor/platform/sqlite/tests/test_files.h"
#include "tests/support/test_control.h"

namespace agendor {
namespace {

class FileChanges : public ::testing::Test {
protected:
    FileChanges() : control(surface.surface()) {
        Fill(path, "Albers");
        testing::SetUpTestControl(control);
        control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
        sqlite::SqliteOptions options;
        options.busyTimeoutMs = 200;
        control.SetDatabase(sqlite::SqliteDatabase::Open(path, options));
        control.SetDateValue(dt::FromYmd(2027, 3, 10));
    }

    static void Fill(const std::string& file, const std::string& person) {
        sqlite::testing::HostConnection host(file);
        host.Execute("CREATE TABLE Personen (PersonID INTEGER PRIMARY KEY, Name TEXT);"
                     "CREATE TABLE Termine (TerminID INTEGER PRIMARY KEY, Datum REAL, Person TEXT);"
                     "INSERT INTO Personen VALUES (1, '" + person + "');"
                     "INSERT INTO Termine (Datum, Person) VALUES (46456.375, '" + person + "');");
    }

    // The lines of the 10 March cell and the texts of the boxes, after a
    // Refresh.
    std::vector<std::string> Refresh() {
        surface.container.ClearRecords();
        std::vector<std::string> seen = surface.Grid.CellLines(2, 2);
        try {
            control.Refresh();
            seen = surface.Grid.CellLines(2, 2);
        } catch (const Error& e) {
            seen.push_back(std::string("Fehler: ") + e.what());
        }
        for (const Message& m : surface.container.Messages()) seen.push_back(m.text);
        return seen;
    }

    sqlite::testing::TempFolder folder;
    std::string path = folder.File("termine.db");
    memory::MemorySurface surface;
    Agendor control;
};

using Lines = std::vector<std::string>;

TEST_F(FileChanges, DeletedTheOpenFileStillReads) {
    ASSERT_EQ(Refresh(), (Lines{"10", "09:00 Alber"}));
    std::remove(path.c_str());
    EXPECT_EQ(Refresh(), (Lines{"10", "09:00 Alber"}));
}

TEST_F(FileChanges, ReplacedTheNextLoadReadsTheNewFile) {
    ASSERT_EQ(Refresh(), (Lines{"10", "09:00 Alber"}));
    const std::string other = folder.File("neu.db");
    Fill(other, "Zander");
    std::rename(other.c_str(), path.c_str());
    EXPECT_EQ(Refresh(), (Lines{"10", "09:00 Zande"}));
}

// Each query waits the busy timeout: the appointments' load shows its box,
// the persons' query passes the engine's error to the host.
TEST_F(FileChanges, LockedByAWriterRefreshFailsAfterTheBusyTimeoutAndWorksAfterwards) {
    ASSERT_EQ(Refresh(), (Lines{"10", "09:00 Alber"}));
    {
        sqlite::testing::HostConnection writer(path);
        writer.Execute("BEGIN EXCLUSIVE; UPDATE Termine SET Person = 'Meier'");
        EXPECT_EQ(Refresh(), (Lines{"10", "09:00 Alber",
                                    "Fehler: Die Abfrage ließ sich nicht ausführen: database is locked",
                                    "Agendor-Fehlercode 4\r\nDie Abfrage ließ sich nicht ausführen: database is locked"}));
        writer.Execute("COMMIT");
    }
    EXPECT_EQ(Refresh(), (Lines{"10", "09:00 Meier"}));
}

} // namespace
} // namespace agendor
