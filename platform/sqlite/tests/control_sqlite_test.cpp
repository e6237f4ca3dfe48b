// The control against the real SQLite engine with a field name that needs
// brackets, on the in-memory widgets. The day grid's query text is checked
// in the core's tests, its rows on every engine (tests/engines). "Today" is
// Wednesday 14 November 2001.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/platform/sqlite/sqlite_database.h"
#include "agendor/platform/sqlite/tests/test_files.h"
#include "agendor/sheet/sheet_model.h"
#include "tests/support/test_control.h"

namespace agendor {
namespace {

TEST(ControlOnSqlite, AFieldNameWithBlanksIsBracketedOnce) {
    sqlite::testing::TempFolder folder;
    sqlite::testing::HostConnection host(folder.File("termine.db"));
    host.Execute("CREATE TABLE Personen (PersonID INTEGER PRIMARY KEY, Name TEXT);"
                 "INSERT INTO Personen (PersonID, Name) VALUES (3, 'Meier');"
                 "CREATE TABLE Kalender (TerminID INTEGER PRIMARY KEY, [Termin Datum] REAL, Person TEXT);"
                 "INSERT INTO Kalender ([Termin Datum], Person) VALUES (" +
                 FieldValue(dt::FromYmdHms(2001, 11, 20, 10, 0, 0)).AsText() + ", 'Meier')");
    memory::MemorySurface surface;
    Agendor control(surface.surface());
    agendor::testing::SetUpTestControl(control);
    control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
    control.SetDataSourceDates("Kalender");
    control.SetFieldDatesDate("[Termin Datum]");
    control.SetDatabase(sqlite::SqliteDatabase::Open(folder.File("termine.db")));
    control.SetDateValue(dt::FromYmd(2001, 11, 14));
    control.Refresh();
    surface.ProcessEvents();
    const SheetCell cell = MonthCellOf(dt::FromYmd(2001, 11, 20));
    EXPECT_EQ(surface.Grid.CellLines(cell.row, cell.col), (std::vector<std::string>{"20", "10:00 Meier"}));
    surface.Grid.UserDblClickCell(4, 1);
    ASSERT_EQ(surface.GridZoom.Rows(), 2);
    EXPECT_EQ(surface.GridZoom.TextMatrix(1, 1), "Meier");
    EXPECT_TRUE(surface.container.Messages().empty());
}

} // namespace
} // namespace agendor
