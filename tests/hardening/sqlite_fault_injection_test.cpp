// Every allocation and every read SQLite makes over one month Refresh, one
// ShowDay (double click) and one print of a sample database fails in turn.
// Each run must end in the documented path (Refresh: error to the host or
// box 4; day: box 2; print: box 3 or 5), anything unreported shows what a
// clean run shows, and with the fault gone everything is right again.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/platform/sqlite/sample_database.h"
#include "agendor/platform/sqlite/sqlite_database.h"
#include "agendor/platform/sqlite/tests/test_files.h"
#include "tests/hardening/sqlite_faults.h"

namespace agendor {
namespace {

using testing::SqliteFaults;

// What the user sees after the three acts, and what was reported.
struct Seen {
    std::vector<std::string> sheet, dayGrid, print;
    std::string refreshError;           // the error Refresh passed to the host
    std::vector<std::string> boxes;     // texts of the message boxes
};

std::vector<std::string> Texts(const memory::MemoryGrid& grid) {
    std::vector<std::string> texts;
    for (int row = 0; row < grid.Rows(); ++row)
        for (int col = 0; col < grid.Cols(); ++col) texts.push_back(grid.TextMatrix(row, col));
    return texts;
}

class SqliteFaultInjection : public ::testing::Test {
protected:
    static constexpr int kDayRow = 2, kDayCol = 2;  // Wednesday 10 March 2027

    SqliteFaultInjection() : control(surface.surface()) {
        SqliteFaults::Install();
        sqlite::SampleOptions sample;
        sample.persons = 25;
        sample.appointments = 1500;
        sample.fromYear = sample.toYear = 2027;
        sqlite::CreateSampleDatabase(path, sample);
        control.InitProperties();
        control.Resize(8175, 7185);
        for (const auto& property : sqlite::SampleDataProperties())
            SetDataProperty(control, property.name, property.value);
        control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
        control.SetDateValue(dt::FromYmd(2027, 3, 10));
    }

    // The three acts on a fresh connection (cold page cache); arm runs after
    // the file is open.
    Seen Run(const std::function<void()>& arm) {
        sqlite::SqliteOptions options;
        options.reuseUnchangedResults = false;
        control.SetDatabase(sqlite::SqliteDatabase::Open(path, options));
        surface.container.ClearRecords();
        Seen seen;
        arm();
        try {
            control.Refresh();
        } catch (const Error& e) {
            seen.refreshError = e.what();
        }
        surface.ProcessEvents();
        seen.sheet = Texts(surface.Grid);
        surface.Grid.UserDblClickCell(kDayRow, kDayCol);
        surface.ProcessEvents();
        seen.dayGrid = Texts(surface.GridZoom);
        const std::size_t printed = surface.PrinterOutput()->sent.size();
        control.PrintSheet();
        if (surface.PrinterOutput()->sent.size() > printed)
            for (const auto& op : surface.PrinterOutput()->sent.back()) seen.print.push_back(op.text);
        SqliteFaults::Disarm();
        for (const Message& m : surface.container.Messages()) seen.boxes.push_back(m.text);
        return seen;
    }

    static bool HasBox(const Seen& seen, const std::string& code) {
        for (const std::string& box : seen.boxes)
            if (box.rfind("Agendor-Fehlercode " + code + "\r\n", 0) == 0 && box.size() > 22) return true;
        return false;
    }

    // Injects the nth fault for every n until a run ends before the nth
    // allocation or read; returns how many faults were injected.
    long InjectEach(const std::function<void(long)>& arm, const char* what) {
        const Seen clean = Run([] {});
        EXPECT_TRUE(clean.refreshError.empty() && clean.boxes.empty());
        EXPECT_GT(clean.dayGrid.size(), 8u) << "the day has appointments";
        EXPECT_FALSE(clean.print.empty());
        long n = 1;
        for (;; ++n) {
            const Seen seen = Run([&] { arm(n); });
            if (!SqliteFaults::Fired()) break;
            const std::string at = std::string(what) + " " + std::to_string(n);
            // Each act either reported its error where it should, or shows
            // what a run without the fault shows.
            const bool refreshReported = !seen.refreshError.empty() || HasBox(seen, "4");
            if (!refreshReported) { EXPECT_EQ(seen.sheet, clean.sheet) << at; }
            if (!HasBox(seen, "2")) { EXPECT_EQ(seen.dayGrid, clean.dayGrid) << at; }
            if (!HasBox(seen, "3") && !HasBox(seen, "5")) { EXPECT_EQ(seen.print, clean.print) << at; }
            for (const std::string& box : seen.boxes)
                EXPECT_EQ(box.rfind("Agendor-Fehlercode ", 0), 0u) << at << ": " << box;
            // The next Refresh works again.
            const Seen after = Run([] {});
            EXPECT_TRUE(after.refreshError.empty() && after.boxes.empty()) << at;
            EXPECT_EQ(after.sheet, clean.sheet) << at;
            EXPECT_EQ(after.dayGrid, clean.dayGrid) << at;
            EXPECT_EQ(after.print, clean.print) << at;
            EXPECT_TRUE(surface.Grid.Redraw()) << at;
            if (::testing::Test::HasFailure()) break;
        }
        if (!::testing::Test::HasFailure())
            std::cout << what << ": " << n - 1 << " faults injected, each ended in its documented path\n";
        return n - 1;
    }

    sqlite::testing::TempFolder folder;
    std::string path = folder.File("sample.db");
    memory::MemorySurface surface;
    Agendor control;
};

TEST_F(SqliteFaultInjection, EveryFailedAllocationEndsInTheDocumentedPath) {
    EXPECT_GT(InjectEach(SqliteFaults::FailAllocation, "allocation"), 100);
}

TEST_F(SqliteFaultInjection, EveryFailedReadEndsInTheDocumentedPath) {
    EXPECT_GT(InjectEach(SqliteFaults::FailRead, "read"), 5);
}

} // namespace
} // namespace agendor
