// Selection and navigation on the sheet: cell entered, click, double click,
// Esc, the context menu's effect on the click events, and Timer1's deferred
// refresh. The user's actions come from the in-memory grid, which raises its
// notifications in the order a desktop grid does. "Today" is Wednesday
// 14 November 2001.
#include <functional>

#include <gtest/gtest.h>

#include "agendor/control/permissions.h"
#include "agendor/data/day_grid.h"
#include "agendor/sheet/navigation.h"
#include "agendor/sheet/sheet_model.h"
#include "tests/core/appointment_fixture.h"

namespace agendor {
namespace {

using testing::AppointmentFixture;
using testing::At;

class NavigationTest : public ::testing::Test {
protected:
    NavigationTest() {
        f.appointments = {{1, At(2001, 11, 14, 9), "Meier"}, {2, At(2001, 11, 20, 10), "Albers"}};
        f.control.Events().Click = [this](DateTime d) { clicks.push_back(d); };
        f.control.Events().DblClick = [this](DateTime d) {
            dblClicks.push_back(d);
            dayGridShownAtDblClick = f.surface.GridZoom.Visible();
        };
    }

    void Load(DateTime dateValue, int view = agMonat) {
        f.state().View = static_cast<std::int16_t>(view);
        f.control.SetDateValue(dateValue);
        f.control.Refresh();
        f.surface.ProcessEvents();
        f.surface.container.ClearRecords();
    }

    memory::MemoryGrid& grid() { return f.surface.Grid; }
    std::pair<int, int> current() { return {grid().Row(), grid().Col()}; }

    AppointmentFixture f;
    std::vector<DateTime> clicks, dblClicks;
    bool dayGridShownAtDblClick = false;
};

TEST_F(NavigationTest, ClickingAnotherDaySelectsItAtMidnightAndRaisesClick) {
    Load(At(2001, 11, 12, 15, 45));
    ShowDay(f.in());
    // 12 November: row 3, column 0 (the selected day is current after loading).
    grid().UserClickCell(3, 4);
    EXPECT_EQ(f.state().DateValue, At(2001, 11, 16));
    EXPECT_EQ(clicks, std::vector<DateTime>{At(2001, 11, 16)});
    EXPECT_FALSE(f.surface.GridZoom.Visible());
}

TEST_F(NavigationTest, ClicksOnTheCurrentOrAnEmptyCellKeepDateValueWithItsTime) {
    Load(At(2001, 11, 5, 8, 15));
    // Loading selected the 5th's cell, today's (the 14th) on the sheet too.
    grid().UserClickCell(2, 0);
    grid().UserClickCell(1, 0);  // November 2001 begins on a Thursday
    EXPECT_EQ(f.state().DateValue, At(2001, 11, 5, 8, 15));
    EXPECT_EQ(clicks, (std::vector<DateTime>{At(2001, 11, 5, 8, 15), At(2001, 11, 5, 8, 15)}));
    grid().UserDblClickCell(1, 0);
    EXPECT_EQ(dblClicks, std::vector<DateTime>{At(2001, 11, 5, 8, 15)});
}

TEST_F(NavigationTest, DoubleClickShowsTheDayThenRaisesDblClickWithItsDate) {
    Load(At(2001, 11, 14));
    grid().UserDblClickCell(4, 1);
    EXPECT_EQ(dblClicks, std::vector<DateTime>{At(2001, 11, 20)});
    EXPECT_TRUE(dayGridShownAtDblClick);
    EXPECT_EQ(f.surface.txtToolbarTag.Text(), "Di, 20.11.01");
    EXPECT_EQ(f.surface.GridZoom.TextMatrix(1, 1), "Albers");
    // The first click of the pair acted as a click.
    EXPECT_EQ(clicks, std::vector<DateTime>{At(2001, 11, 20)});
}

TEST_F(NavigationTest, EscClosesTheDayGridOnlyWhileNoTimeIsTyped) {
    Load(At(2001, 11, 14));
    ShowDay(f.in());
    f.surface.txtClock.SetVisible(true);
    grid().UserKeyPress(27);
    EXPECT_TRUE(f.surface.GridZoom.Visible());
    f.surface.txtClock.SetVisible(false);
    grid().UserKeyPress(13);
    EXPECT_TRUE(f.surface.GridZoom.Visible());
    grid().UserKeyPress(27);
    EXPECT_FALSE(f.surface.GridZoom.Visible());
}

TEST_F(NavigationTest, ARightClickThatOpensTheMenuSilencesTheFollowingClicks) {
    Load(At(2001, 11, 14));
    f.surface.Kontextmenu.ChooseNext(0);
    grid().UserRightClick(500, 700);
    EXPECT_TRUE(f.state().PopupShown);
    EXPECT_EQ(f.surface.Kontextmenu.PopupCount(), 1);
    // The menu opens where the mouse is, in the control's coordinates.
    EXPECT_EQ(f.surface.Kontextmenu.LastPosition(),
              (std::pair<Twips, Twips>{grid().Left() + 500, grid().Top() + 700}));
    // A click the grid reports after the right click is ignored; a double
    // click still opens the day grid but raises nothing.
    GridClick(f.in());
    GridDblClick(f.in());
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(dblClicks.empty());
    EXPECT_TRUE(f.surface.GridZoom.Visible());
    // The next left release clears it again.
    grid().UserClickCell(3, 3);
    EXPECT_FALSE(f.state().PopupShown);
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(NavigationTest, TheMenusBearbeitenOpensTheDayOfTheCurrentCell) {
    Load(At(2001, 11, 14));
    f.surface.Kontextmenu.ChooseNext(6);
    grid().UserRightClick(500, 700);
    EXPECT_TRUE(f.surface.GridZoom.Visible());
    EXPECT_EQ(f.surface.txtToolbarTag.Text(), "Mi, 14.11.01");
}

// Whatever fails under a user's action is shown in a box; nothing escapes
// into the host's event loop.
TEST_F(NavigationTest, AFailureUnderAUsersActionShowsItsBox) {
    const std::string persons = "SELECT Personen.Name,Personen.PersonID From Personen ORDER BY Personen.Name";
    struct Case {
        const char* name;
        std::function<void()> arrange, act;
        const char* text;
    } cases[] = {  // in this order: each leaves its fault in place
        {"double click", [&] { f.database->SetFailure(OneDayQuery(f.state(), "11/20/2001"), "Verbindung verloren"); },
         [&] { grid().UserDblClickCell(4, 1); }, "Agendor-Fehlercode 2\r\nVerbindung verloren"},
        {"host's click handler", [&] { f.control.Events().Click = [](DateTime) { throw std::runtime_error("Fehler im Host"); }; },
         [&] { grid().UserClickCell(4, 1); }, "Agendor-Fehlercode 2\r\nFehler im Host"},
        {"sheet command", [&] { f.database->SetFailure(persons, "Tabelle gesperrt"); },
         [&] { KontextClick(f.in(), 4); }, "Agendor-Fehlercode 2\r\nTabelle gesperrt"},
        // The deferred refresh shows its box once and stops.
        {"deferred refresh", [&] { f.database->SetFailure(persons, "Tabelle gesperrt"); f.surface.Timer1.SetEnabled(true); },
         [&] { f.surface.Timer1.FireTick(); }, "Agendor-Fehlercode 4\r\nTabelle gesperrt"},
    };
    Load(At(2001, 11, 14));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        EXPECT_NO_THROW(c.act());
        ASSERT_EQ(f.messages().size(), 1u);
        EXPECT_EQ(f.messages()[0].text, c.text);
        EXPECT_EQ(f.messages()[0].title, "Agendor3.ocx");
        EXPECT_EQ(f.messages()[0].icon, MessageIcon::Critical);
        f.surface.container.ClearRecords();
    }
    EXPECT_TRUE(dblClicks.empty());
    EXPECT_FALSE(f.surface.Timer1.Enabled());
}

TEST_F(NavigationTest, TheDeferredRefreshPutsTheCellBackAndSelectsItsDay) {
    Load(At(2001, 11, 14));
    grid().UserClickCell(4, 1);  // 20 November
    grid().UserLeave();
    f.appointments.push_back({3, At(2001, 11, 20, 11), "Zander"});
    f.surface.Timer1.SetEnabled(true);
    f.database->ClearRecords();
    ASSERT_TRUE(f.surface.Timer1.FireTick());
    EXPECT_FALSE(f.surface.Timer1.Enabled());
    EXPECT_FALSE(f.surface.Timer1.FireTick());  // one tick only
    EXPECT_EQ(f.queries().size(), 2u);          // appointments and persons
    EXPECT_EQ(current(), std::pair(4, 1));
    EXPECT_EQ(f.state().DateValue, At(2001, 11, 20));
    EXPECT_EQ(f.CellLines(4, 1).size(), 3u);
    EXPECT_TRUE(f.messages().empty());
}

TEST_F(NavigationTest, TheDeferredRefreshLeavesTheHeaderRowAndARowTheWeekSheetNoLongerHas) {
    Load(At(2001, 11, 5));
    f.surface.Timer1.SetEnabled(true);
    f.surface.Timer1.FireTick();
    // Never lost the focus: saved (0, 0). The 5th's cell stays current.
    EXPECT_EQ(current(), std::pair(2, 0));
    EXPECT_EQ(f.state().DateValue, At(2001, 11, 5));

    Load(At(2001, 11, 14));
    grid().UserClickCell(5, 3);  // 29 November
    grid().UserLeave();
    f.state().View = agWoche;
    f.surface.Timer1.SetEnabled(true);
    EXPECT_NO_THROW(f.surface.Timer1.FireTick());
    EXPECT_EQ(std::pair(grid().Rows(), grid().Row()), std::pair(2, 1));
    EXPECT_TRUE(f.messages().empty());
}

// The first and last weeks and months of the calendar (1 Jan 100 is a
// Friday, 31 Dec 9999 a Friday): they build and load like any other, and a
// page step to a sheet that would reach beyond them is refused with nothing
// changed.
TEST_F(NavigationTest, TheEdgesOfTheCalendarBuildAndLoadAndPagingStopsThere) {
    f.appointments = {{1, At(9999, 12, 31, 9), "Meier"}, {2, At(100, 1, 4, 9), "Albers"}};
    struct Case {
        DateTime date;
        int view;
        const char* label;
        int row, col;  // the cell of the appointment on a month sheet
    };
    const Case shown[] = {
        {At(9999, 12, 15), agMonat, "Dezember 9999", 5, 4},  // 31 December 9999
        {At(100, 1, 20), agMonat, "Januar 0100", 2, 0},      // 4 January 100
        {At(9999, 12, 22), agWoche, "Dezember 9999, 51.KW", 0, 0},
        {At(100, 1, 6), agWoche, "Januar 0100, 1.KW", 0, 0},
    };
    for (const Case& c : shown) {
        Load(c.date, c.view);
        EXPECT_EQ(f.surface.lblMonat.Caption(), c.label);
        EXPECT_TRUE(f.messages().empty()) << c.label << ": " << (f.messages().empty() ? "" : f.messages()[0].text);
        EXPECT_EQ(DayNumberOfText(grid().TextMatrix(grid().Row(), grid().Col())), dt::Day(c.date)) << c.label;
        if (c.view != agMonat) continue;
        EXPECT_EQ(f.CellLines(c.row, c.col).size(), 2u) << c.label;
    }

    struct Step {
        DateTime date;
        int view, command;
    };
    const Step refused[] = {
        {At(9999, 12, 20, 10), agWoche, 4}, {At(9999, 12, 24), agWoche, 4}, {At(100, 1, 8, 10), agWoche, 3},
        {At(100, 1, 10), agWoche, 3},       {At(9999, 12, 31), agMonat, 4}, {At(100, 1, 31), agMonat, 3},
    };
    for (const Step& s : refused) {
        Load(s.date, s.view);
        const std::string label = f.surface.lblMonat.Caption();
        SheetCommand(f.in(), static_cast<std::int16_t>(s.command));
        EXPECT_EQ(f.state().DateValue, s.date) << label;
        EXPECT_EQ(f.surface.lblMonat.Caption(), label);
        ASSERT_EQ(f.messages().size(), 1u) << label;
        EXPECT_EQ(f.messages()[0].text,
                  "Agendor-Fehlercode 2\r\nDatum außerhalb des gültigen Bereichs (1.1.100 bis 31.12.9999)");
        f.surface.container.ClearRecords();
        // The sheet shown still is the sheet of DateValue.
        EXPECT_NO_THROW(f.control.Refresh());
        EXPECT_EQ(f.surface.lblMonat.Caption(), label);
        EXPECT_TRUE(f.messages().empty());
    }
}

TEST_F(NavigationTest, MenuItemsAndToolbarButtonsRunTheirCommands) {
    struct Case {
        const char* name;
        std::function<void()> act;
        int view;
        DateTime date;
    };
    auto menu = [&](int item) { return [this, item] { KontextClick(f.in(), item); }; };
    auto button = [&](int b) { return [this, b] { f.surface.Toolbar2.UserClickButton(b); }; };
    const Case cases[] = {
        {"Vor", menu(1), agMonat, At(2001, 12, 14)},
        {"Zurück", menu(2), agMonat, At(2001, 10, 14)},
        {"separator 3", menu(3), agMonat, At(2001, 11, 14)},
        {"separator 5", menu(5), agMonat, At(2001, 11, 14)},
        {"Drucken", menu(7), agMonat, At(2001, 11, 14)},
        {"button Woche", button(1), agWoche, At(2001, 11, 14)},
        {"button Monat", button(2), agMonat, At(2001, 11, 14)},
        {"button Zurück", button(3), agMonat, At(2001, 10, 14)},
        {"button Vor", button(4), agMonat, At(2001, 12, 14)},
        {"button Drucken", button(5), agMonat, At(2001, 11, 14)},
    };
    for (const Case& c : cases) {
        Load(At(2001, 11, 14));
        ShowDay(f.in());
        c.act();
        EXPECT_EQ(f.state().View, c.view) << c.name;
        EXPECT_EQ(f.state().DateValue, c.date) << c.name;
        // Every command but a separator closes the day grid first.
        const bool separator = std::string(c.name).rfind("separator", 0) == 0;
        EXPECT_EQ(f.surface.GridZoom.Visible(), separator || std::string(c.name) == "button Monat") << c.name;
        // Commands 1 and 2 store the view without telling the container.
        for (const std::string& changed : f.surface.container.PropertyChanges()) EXPECT_NE(changed, "View") << c.name;
    }
}

} // namespace
} // namespace agendor
