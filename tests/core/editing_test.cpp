// Editing appointments in the day grid on the in-memory widgets: what the
// shared script table (run on both backends, platform/qt/tests) cannot
// say, because the host does more than store, the test reaches into the
// control, or the fault lies in the core alone. What is checked is what
// the host receives (type, every argument, order) and what the control
// shows afterwards. The host stores what it accepts in the
// fixture's appointment list, which the queries then read back. "Today" is
// Wednesday 14 November 2001; the month sheet shows November 2001 (the 1st
// is a Thursday: the 14th is row 3, column 2, the 20th row 4, column 1).
#include <gtest/gtest.h>

#include <algorithm>

#include "agendor/control/instance_access.h"
#include "agendor/data/day_grid.h"
#include "agendor/editing/appointment_exchange.h"
#include "agendor/editing/commands.h"
#include "tests/core/appointment_fixture.h"

namespace agendor {
namespace {

using testing::AppointmentFixture;
using testing::At;

std::string When(DateTime value) { return DayGridDateTimeText(value); }

class EditingTest : public ::testing::Test {
protected:
    EditingTest() {
        f.appointments = {{7, At(2001, 11, 14, 9), "Abel"}, {8, At(2001, 11, 14, 11, 30), "Meier"}};
        f.persons = {{1, "Abel"}, {2, "Meier"}};
        AgendorEvents& e = f.control.Events();
        e.DateNew = [this](DateTime when, std::int32_t personId, const std::string& person, bool& cancel) {
            events.push_back("DateNew " + When(when) + " " + std::to_string(personId) + " " + person);
            if (onDateNew) onDateNew();
            cancel = refuse;
            if (!cancel) f.appointments.push_back({nextId++, when, person});
        };
        e.DateChange = [this](std::int32_t id, DateTime oldWhen, DateTime newWhen, bool& cancel) {
            events.push_back("DateChange " + std::to_string(id) + " " + When(oldWhen) + " " + When(newWhen));
            cancel = refuse;
            for (auto& a : f.appointments)
                if (!cancel && a.id == id && a.when == oldWhen) a.when = newWhen;
        };
        e.DateDel = [this](std::int32_t id, DateTime when, const std::string& person, bool& cancel) {
            events.push_back("DateDel " + std::to_string(id) + " " + When(when) + " " + person);
            cancel = refuse;
            if (!cancel) std::erase_if(f.appointments, [id](const auto& a) { return a.id == id; });
        };
        e.IncorrectTime = [this](const std::string& text) { events.push_back("IncorrectTime " + text); };
        f.control.Refresh();
        f.surface.ProcessEvents();
        // The day grid of the 14th, opened by a double click.
        EXPECT_TRUE(f.surface.Grid.UserDblClickCell(3, 2));
        f.surface.container.ClearRecords();
    }

    memory::MemoryGrid& zoom() { return f.surface.GridZoom; }
    memory::MemoryMaskedEdit& clock() { return f.surface.txtClock; }
    memory::MemoryComboBox& person() { return f.surface.cboPerson; }
    bool Click(int button) { return f.surface.Toolbar1.UserClickButton(button); }
    bool ButtonEnabled(int button) { return f.surface.Toolbar1.Button(button).enabled; }

    // Add, type a time into the new row's editor and press Enter.
    void AddWithTime(const std::string& digits) {
        ASSERT_TRUE(Click(kButtonAdd));
        clock().UserType(digits);
        clock().UserKey(13);
    }

    // Opens the time editor over row's time, types digits from the start
    // and presses Enter.
    void Retime(int row, const std::string& digits) {
        ASSERT_TRUE(zoom().UserClickCell(row, 0));
        clock().UserType(digits);
        clock().UserKey(13);
    }

    std::vector<std::string> DayRows() {
        std::vector<std::string> rows;
        for (int r = 1; r < zoom().Rows(); ++r) rows.push_back(zoom().TextMatrix(r, 0) + " " + zoom().TextMatrix(r, 1));
        return rows;
    }

    void ExpectNothingPending() {
        EXPECT_FALSE(f.state().NewPending);
        EXPECT_FALSE(f.state().DeletePending);
        EXPECT_FALSE(f.state().EditCancelled);
        EXPECT_FALSE(person().Visible());
    }

    AppointmentFixture f;
    std::vector<std::string> events;
    std::function<void()> onDateNew;
    bool refuse = false;
    std::int64_t nextId = 100;
};

TEST_F(EditingTest, ATimeOffTheMillisecondGridReachesTheHostAsStored) {
    f.appointments[0].when = *f.appointments[0].when + 3e-9;
    ShowDay(f.in());
    Retime(1, "0815");
    ASSERT_EQ(events.size(), 1u);
    // The host found the record by the old date-time it was given.
    EXPECT_EQ(f.appointments[0].when, At(2001, 11, 14, 8, 15));
}

TEST_F(EditingTest, AThrowingDateChangeShowsTheStoredTimeAndTheButtonsAsBefore) {
    f.control.Events().DateChange = [](std::int32_t, DateTime, DateTime, bool&) { throw Error("Netz weg"); };
    Retime(1, "0815");
    EXPECT_EQ(DayRows()[0], "09:00 Abel");
    EXPECT_EQ(f.messages().at(0).text, "Agendor-Fehlercode 1\r\nNetz weg");
    EXPECT_TRUE(ButtonEnabled(kButtonDelete));
    EXPECT_TRUE(ButtonEnabled(kButtonAdd));
}

TEST_F(EditingTest, AHostThatShowsTheDayInsideDateNewGetsTheStoredRowAndNoError) {
    onDateNew = [this] { ShowDay(f.in()); };
    AddWithTime("0930");
    person().UserChoose(1);
    EXPECT_TRUE(f.messages().empty());
    EXPECT_EQ(DayRows(), (std::vector<std::string>{"09:00 Abel", "09:30 Meier", "11:30 Meier"}));
    EXPECT_EQ(f.CellLines(3, 2), (std::vector<std::string>{"14", "09:00 Abel", "09:30 Meier", "11:30 Meier"}));
}

TEST_F(EditingTest, DeleteCancelledLeavesNoFlagThatDropsTheNextRetime) {
    refuse = true;
    ASSERT_TRUE(zoom().UserClickCell(2, 1));
    ASSERT_TRUE(Click(kButtonDelete));
    EXPECT_EQ(zoom().Col(), 3);
    refuse = false;
    Retime(2, "1200");
    // With the editor open, Delete refused: what was typed is still committed.
    ASSERT_TRUE(zoom().UserClickCell(1, 0));
    clock().UserType("0700");
    refuse = true;
    ASSERT_TRUE(Click(kButtonDelete));
    refuse = false;
    clock().UserKey(13);
    EXPECT_EQ(events, (std::vector<std::string>{"DateDel 8 14.11.2001 11:30:00 Meier",
                                                "DateChange 8 14.11.2001 11:30:00 14.11.2001 12:00:00",
                                                "DateDel 7 14.11.2001 09:00:00 Abel",
                                                "DateChange 7 14.11.2001 09:00:00 14.11.2001 07:00:00"}));
    EXPECT_TRUE(f.messages().empty());
}

TEST_F(EditingTest, DeleteOnThePendingRowEndsIt) {
    AddWithTime("0930");
    Toolbar1ButtonClick(f.in(), kButtonDelete);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(f.messages().empty());
    EXPECT_EQ(DayRows(), (std::vector<std::string>{"09:00 Abel", "11:30 Meier"}));
    ExpectNothingPending();
}

TEST_F(EditingTest, AddChangeTheShownDayAddAgainBooksTheNewDayOnce) {
    AddWithTime("0930");
    ASSERT_TRUE(f.surface.Grid.UserDblClickCell(4, 1));  // the 20th
    ExpectNothingPending();
    EXPECT_FALSE(clock().Visible());
    AddWithTime("1100");
    person().UserChoose(0);
    EXPECT_EQ(events, std::vector<std::string>{"DateNew 20.11.2001 11:00:00 1 Abel"});
    EXPECT_EQ(f.CellLines(4, 1), (std::vector<std::string>{"20", "11:00 Abel"}));
    EXPECT_EQ(f.CellLines(3, 2), (std::vector<std::string>{"14", "09:00 Abel", "11:30 Meier"}));
}

class DeferredRefreshTest : public EditingTest {
protected:
    // On the 20th: Add, a time, a person typed, then the focus back to the
    // time, which starts Timer1; its tick reloads the sheet and the persons.
    void AddThenTick() {
        ASSERT_TRUE(f.surface.Grid.UserDblClickCell(4, 1));
        AddWithTime("0930");
        person().UserTypeText("Nolte");
        ASSERT_TRUE(clock().UserFocus());
        // As before the sheet ever lost the focus: the reload leaves the
        // current cell on the selected day's, the 20th.
        f.state().SavedRow = f.state().SavedCol = 0;
        ASSERT_TRUE(f.surface.Timer1.FireTick());
        ASSERT_EQ(f.surface.Grid.Row(), 4);
        ASSERT_TRUE(f.state().NewPending);
    }
};

TEST_F(DeferredRefreshTest, KeepsThePersonTyped) {
    AddThenTick();
    EXPECT_EQ(person().Text(), "Nolte");
}

TEST_F(DeferredRefreshTest, TheNewAppointmentIsBookedOnTheDayShown) {
    AddThenTick();
    person().UserTypeText("!");
    person().UserKey(13);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].rfind("DateNew 20.11.2001 09:30:00 -1 ", 0), 0u) << events[0];
}

TEST_F(EditingTest, AClickAndAnEnterWhileTheHostStoresRaiseDateNewOnce) {
    AddWithTime("0930");
    // The host's modal box delivers the Enter that was typed meanwhile.
    onDateNew = [this] {
        onDateNew = nullptr;
        person().UserKey(13);
        Toolbar1ButtonClick(f.in(), kButtonSave);
    };
    person().UserChoose(1);
    EXPECT_EQ(events, std::vector<std::string>{"DateNew 14.11.2001 09:30:00 2 Meier"});
}

TEST_F(EditingTest, DateNewCancelledHidesTheDayGrid) {
    refuse = true;
    AddWithTime("0930");
    person().UserChoose(0);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_FALSE(zoom().Visible());
    ExpectNothingPending();
}

// Whatever ends the day grid's day while a new row is pending (with the
// focus in the time editor) ends the row without an event or a box.
struct Ending {
    const char* name;
    std::function<void(EditingTest&, AppointmentFixture&)> act;
};

class PendingRowEndTest : public EditingTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(PendingRowEndTest, EndsWithoutEventOrError) {
    ASSERT_TRUE(Click(kButtonAdd));
    clock().UserType("0930");
    GetParam().act(*this, f);
    f.surface.ProcessEvents();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(f.messages().empty());
    ExpectNothingPending();
    EXPECT_FALSE(clock().Visible());
    if (zoom().Visible()) {
        EXPECT_EQ(DayRows(), (std::vector<std::string>{"09:00 Abel", "11:30 Meier"}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Editing, PendingRowEndTest,
    ::testing::Values(Ending{"SwitchView", [](EditingTest&, AppointmentFixture& f) { f.surface.Toolbar2.UserClickButton(1); }},
                      Ending{"Page", [](EditingTest&, AppointmentFixture& f) { f.surface.Toolbar2.UserClickButton(4); }},
                      Ending{"Refresh", [](EditingTest&, AppointmentFixture& f) { f.control.Refresh(); }},
                      Ending{"ShowAnotherDay", [](EditingTest&, AppointmentFixture& f) { ShowDay(f.in()); }},
                      Ending{"Close", [](EditingTest&, AppointmentFixture& f) { HideDayGrid(f.in()); }}),
    [](const ::testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

TEST_F(EditingTest, AllowEditOffLeavesTimeCellsClosed) {
    f.control.SetAllowEdit(false);
    ShowDay(f.in());
    ASSERT_TRUE(zoom().UserClickCell(1, 0));
    EXPECT_FALSE(clock().Visible());
}

// Appointments from another calendar: the range read for an export, and the
// import's DateNew per appointment with the person matched by name.
TEST_F(EditingTest, ExchangeReadsARangeAndRaisesDateNewPerImportedAppointment) {
    std::vector<std::string> read;
    for (const StoredAppointment& a : ReadAppointments(InstanceOf(f.control).state, At(2001, 11, 14, 23), At(2001, 11, 14)))
        read.push_back(a.id + " " + When(a.when) + " " + a.person);
    EXPECT_EQ(read, (std::vector<std::string>{"7 14.11.2001 09:00:00 Abel", "8 14.11.2001 11:30:00 Meier"}));

    const std::vector<IncomingAppointment> incoming = {
        {At(2001, 11, 20, 8), "Meier"}, {At(2001, 11, 20, 9), "Fremd"}, {At(2001, 11, 21, 8), "Abel"}, {At(2001, 11, 22, 8), "X"}};
    int raised = 0;
    onDateNew = [&] {
        refuse = ++raised == 2;
        if (raised == 4) throw Error("Platte voll");
    };
    ImportOutcome outcome = RaiseDateNewForEach(InstanceOf(f.control), incoming);
    EXPECT_EQ(events, (std::vector<std::string>{"DateNew 20.11.2001 08:00:00 2 Meier", "DateNew 20.11.2001 09:00:00 -1 Fremd",
                                                "DateNew 21.11.2001 08:00:00 1 Abel", "DateNew 22.11.2001 08:00:00 -1 X"}));
    EXPECT_EQ(outcome.taken, 2u);
    EXPECT_EQ(outcome.cancelled, 1u);
    EXPECT_EQ(outcome.error, "Platte voll");
    EXPECT_FALSE(outcome.stopped);

    onDateNew = nullptr;
    events.clear();
    outcome = RaiseDateNewForEach(InstanceOf(f.control), incoming, [](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, 4u);
        return done < 1;
    });
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(outcome.taken, 1u);
    EXPECT_TRUE(outcome.stopped);
}

} // namespace
} // namespace agendor
