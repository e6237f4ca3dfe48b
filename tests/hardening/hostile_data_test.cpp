// Hostile data in the host's SQLite file: each row of the table puts one
// kind of it into a small calendar (persons, appointments on Wednesday
// 10 March 2027) and runs a month Refresh, a double click on the day and a
// print. Nothing may crash or leave the control: Refresh may pass an Error
// to the host, every box is the control's "Agendor-Fehlercode N", and the
// row's expectation says what the person sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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

struct HostileCase {
    const char* name;
    // Fills the tables "Personen" (PersonID, Name) and "Termine" (TerminID,
    // Datum, Person).
    std::function<void(sqlite::testing::HostConnection&)> fill;
    // Lines the day grid shows below its heading (time and person), in order;
    // a box code when the load must fail instead.
    std::vector<std::string> dayRows;
    int boxCode = 0;
};

std::ostream& operator<<(std::ostream& out, const HostileCase& c) { return out << c.name; }

constexpr double kDay = 46456.0;  // Wednesday 10 March 2027

void Appointment(sqlite::testing::HostConnection& host, const std::string& date, const std::string& person) {
    host.Execute("INSERT INTO Termine (Datum, Person) VALUES (" + date + ", " + person + ")");
}

class HostileData : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileData, NeitherCrashesNorLeavesTheControl) {
    const HostileCase& c = GetParam();
    sqlite::testing::TempFolder folder;
    const std::string path = folder.File("hostile.db");
    {
        sqlite::testing::HostConnection host(path);
        host.Execute("CREATE TABLE Personen (PersonID INTEGER PRIMARY KEY, Name TEXT);"
                     "CREATE TABLE Termine (TerminID INTEGER PRIMARY KEY, Datum, Person TEXT);"
                     "INSERT INTO Personen (PersonID, Name) VALUES (1, 'Albers');");
        c.fill(host);
    }
    memory::MemorySurface surface;
    Agendor control(surface.surface());
    testing::SetUpTestControl(control);
    control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
    control.SetDatabase(sqlite::SqliteDatabase::Open(path));
    control.SetDateValue(kDay);
    try {
        control.Refresh();
    } catch (const Error&) {
    }
    surface.ProcessEvents();
    surface.Grid.UserDblClickCell(2, 2);
    surface.ProcessEvents();
    control.PrintSheet();
    std::vector<int> codes;
    for (const Message& m : surface.container.Messages()) {
        ASSERT_EQ(m.text.rfind("Agendor-Fehlercode ", 0), 0u) << m.text;
        codes.push_back(m.text[19] - '0');
    }
    if (c.boxCode != 0) {
        EXPECT_NE(std::find(codes.begin(), codes.end(), c.boxCode), codes.end()) << ::testing::PrintToString(codes);
        return;
    }
    EXPECT_TRUE(codes.empty()) << surface.container.Messages().front().text;
    std::vector<std::string> rows;
    for (int row = 1; row < surface.GridZoom.Rows(); ++row)
        rows.push_back(surface.GridZoom.TextMatrix(row, 0) + " " + surface.GridZoom.TextMatrix(row, 1));
    EXPECT_EQ(rows, c.dayRows);
    EXPECT_EQ(surface.PrinterOutput()->sent.size(), 1u);
}

const std::string kMegabyte(1 << 20, 'x');

std::vector<std::string> TenThousandRows() {
    std::vector<std::string> rows;
    for (int k = 0; k < 10000; ++k) rows.push_back("09:00 P" + std::to_string(k));
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileData,
    ::testing::Values(
        HostileCase{"TenThousandOnOneDay",
                    [](auto& host) {
                        host.Execute("WITH RECURSIVE n(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM n WHERE k < 9999) "
                                     "INSERT INTO Termine (Datum, Person) SELECT 46456.375, 'P' || k FROM n");
                    },
                    TenThousandRows()},
        HostileCase{"OneMegabytePerson",
                    [](auto& host) { Appointment(host, "46456.375", "'" + kMegabyte + "'"); },
                    {"09:00 " + kMegabyte}},
        HostileCase{"InvalidUtf8AndControlCharacters",
                    [](auto& host) {
                        Appointment(host, "46456.375", "CAST(X'41FF0D0A0942C3' AS TEXT)");
                        host.Execute("UPDATE Personen SET Name = CAST(X'C0AF1B5B326A' AS TEXT)");
                    },
                    {"09:00 A\xFF\r\n\tB\xC3"}},
        HostileCase{"DateAsText", [](auto& host) { Appointment(host, "'morgen'", "'Albers'"); }, {}, 4},
        // A column without a type keeps a whole number as an integer, which
        // the engine refuses as a date with its own message.
        HostileCase{"DateAsInteger", [](auto& host) { Appointment(host, "46456", "'Albers'"); }, {}, 4},
        HostileCase{"DateNaN", [](auto& host) { Appointment(host, "0.0/0.0", "'Albers'"); }, {}},
        HostileCase{"DateBeforeYear100", [](auto& host) { Appointment(host, "-700000", "'Albers'"); }, {}},
        HostileCase{"DateAfterYear9999", [](auto& host) { Appointment(host, "3000000", "'Albers'"); }, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace agendor
