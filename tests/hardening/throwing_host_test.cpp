// A host whose DateNew, DateChange or DateDel handler throws: the error
// never leaves the control, the control reports it in the day grid's box
// (code 1) and keeps a consistent state, the day grid shows what is stored,
// and what the user typed is still there to be stored again.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "agendor/data/day_grid.h"
#include "agendor/editing/commands.h"
#include "tests/core/appointment_fixture.h"

namespace agendor {
namespace {

using testing::At;

class ThrowingHost : public ::testing::Test {
protected:
    ThrowingHost() {
        f.appointments = {{7, At(2001, 11, 14, 9), "Abel"}, {8, At(2001, 11, 14, 11, 30), "Meier"}};
        f.persons = {{1, "Abel"}, {2, "Meier"}};
        AgendorEvents& e = f.control.Events();
        e.DateNew = [](DateTime, std::int32_t, const std::string&, bool&) { throw std::runtime_error("Platte voll"); };
        e.DateChange = [](std::int32_t, DateTime, DateTime, bool&) { throw std::runtime_error("Platte voll"); };
        e.DateDel = [](std::int32_t, DateTime, const std::string&, bool&) { throw std::runtime_error("Platte voll"); };
        f.control.Refresh();
        f.surface.ProcessEvents();
        EXPECT_TRUE(f.surface.Grid.UserDblClickCell(3, 2));
        f.surface.container.ClearRecords();
    }

    std::vector<std::string> DayRows() {
        std::vector<std::string> rows;
        for (int r = 1; r < f.surface.GridZoom.Rows(); ++r)
            rows.push_back(f.surface.GridZoom.TextMatrix(r, 0) + " " + f.surface.GridZoom.TextMatrix(r, 1));
        return rows;
    }
    // After the events ran: the host's error shown once, in box 1.
    void ExpectReported() {
        f.surface.ProcessEvents();
        ASSERT_EQ(f.messages().size(), 1u);
        EXPECT_EQ(f.messages()[0].text, "Agendor-Fehlercode 1\r\nPlatte voll");
    }

    testing::AppointmentFixture f;
};

TEST_F(ThrowingHost, DateNewKeepsTheTypedRowAndReportsTheError) {
    ASSERT_TRUE(f.surface.Toolbar1.UserClickButton(kButtonAdd));
    f.surface.txtClock.UserType("0930");
    f.surface.txtClock.UserKey(13);
    f.surface.cboPerson.UserChoose(1);
    ExpectReported();
    // The typed row stays with the chosen person, and Save stores it once
    // the host can.
    EXPECT_EQ(DayRows(), (std::vector<std::string>{"09:00 Abel", "11:30 Meier", "09:30 "}));
    EXPECT_TRUE(f.surface.cboPerson.Visible());
    EXPECT_EQ(f.surface.cboPerson.Text(), "Meier");
    EXPECT_TRUE(f.state().NewPending);
    EXPECT_TRUE(f.surface.Toolbar1.Button(kButtonSave).enabled);
    std::string stored;
    f.control.Events().DateNew = [&](DateTime when, std::int32_t id, const std::string& person, bool&) {
        stored = DayGridDateTimeText(when) + " " + std::to_string(id) + " " + person;
    };
    ASSERT_TRUE(f.surface.Toolbar1.UserClickButton(kButtonSave));
    EXPECT_EQ(stored, "14.11.2001 09:30:00 2 Meier");
}

TEST_F(ThrowingHost, DateChangeShowsTheStoredTimeAndReportsTheError) {
    ASSERT_TRUE(f.surface.GridZoom.UserClickCell(1, 0));
    f.surface.txtClock.UserType("1015");
    f.surface.txtClock.UserKey(13);
    ExpectReported();
    EXPECT_EQ(DayRows(), (std::vector<std::string>{"09:00 Abel", "11:30 Meier"}));
    EXPECT_TRUE(f.surface.Toolbar1.Button(kButtonAdd).enabled);
}

TEST_F(ThrowingHost, DateDelKeepsTheRowAndReportsTheError) {
    ASSERT_TRUE(f.surface.GridZoom.UserClickCell(2, 1));
    ASSERT_TRUE(f.surface.Toolbar1.UserClickButton(kButtonDelete));
    ExpectReported();
    EXPECT_EQ(DayRows(), (std::vector<std::string>{"09:00 Abel", "11:30 Meier"}));
    EXPECT_FALSE(f.state().DeletePending);
}

} // namespace
} // namespace agendor
