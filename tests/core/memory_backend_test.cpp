// The in-memory backend must behave like the desktop widgets wherever the
// control can tell the difference, or the control's tests would not find
// the faults the desktop shows: events re-enter the caller, the user's
// clicks arrive in the desktop's order, focus notifications arrive after the
// handler that caused them. The rest of the doubles is exercised through
// the control's own tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agendor/platform/memory/surface.h"

namespace agendor::memory {
namespace {

TEST(MemoryGrid, EnterCellIsRaisedInsideTheCallAndOnlyForRealMoves) {
    MemorySurface ui;
    MemoryGrid& grid = ui.Grid;
    std::vector<std::pair<int, int>> entered;
    grid.events.EnterCell = [&] { entered.emplace_back(grid.Row(), grid.Col()); };

    grid.SetCol(0);  // already there
    grid.SetRow(1);
    EXPECT_TRUE(entered.empty());

    grid.SetRow(3);
    ASSERT_EQ(entered.size(), 1u);  // seen before SetRow returned
    EXPECT_EQ(entered[0], std::make_pair(3, 0));

    // The fixed row can be made current by code.
    grid.SetRow(0);
    EXPECT_EQ(entered.back(), std::make_pair(0, 0));

    // Cutting off the current row moves the cell to the new last row.
    grid.SetRow(6);
    entered.clear();
    grid.SetRows(2);
    EXPECT_EQ(entered, (std::vector<std::pair<int, int>>{{1, 0}}));
    grid.SetRows(7);  // growing leaves the current cell alone
    EXPECT_EQ(entered.size(), 1u);

    EXPECT_THROW(grid.SetRow(7), Error);
    EXPECT_THROW(grid.SetCol(-1), Error);
    EXPECT_EQ(grid.Row(), 1);
}

TEST(MemoryGrid, HandlerMovingTheCellAgainReentersWithTheRedrawGuard) {
    MemorySurface ui;
    MemoryGrid& grid = ui.Grid;
    int userMoves = 0;
    grid.events.EnterCell = [&] {
        if (!grid.Redraw()) return;
        ++userMoves;
        // A handler that moves the cell itself re-enters, guarded by Redraw.
        grid.SetRedraw(false);
        grid.SetCol(6);
        grid.SetRedraw(true);
    };
    grid.SetRow(2);
    EXPECT_EQ(userMoves, 1);
    EXPECT_EQ(grid.Col(), 6);
    EXPECT_EQ(grid.EnterCellCount(), 2);
    EXPECT_EQ(grid.RedrawToggles(), 2);
}

TEST(MemoryGrid, UserClicksFollowTheDesktopOrderAndNeverMakeTheHeaderCurrent) {
    MemorySurface ui;
    MemoryGrid& grid = ui.Grid;
    std::vector<std::string> seen;
    grid.events.EnterCell = [&] { seen.push_back("EnterCell " + std::to_string(grid.Row())); };
    grid.events.MouseUp = [&](int button, int, Twips, Twips) { seen.push_back("MouseUp " + std::to_string(button)); };
    grid.events.Click = [&] { seen.push_back("Click"); };
    grid.events.DblClick = [&] { seen.push_back("DblClick"); };

    EXPECT_TRUE(grid.UserDblClickCell(4, 2));
    EXPECT_EQ(seen, (std::vector<std::string>{"EnterCell 4", "MouseUp 1", "Click", "DblClick", "MouseUp 1"}));
    EXPECT_EQ(ui.Focused(), &grid);

    seen.clear();
    grid.UserClickCell(4, 2);  // the current cell: no EnterCell
    grid.UserClickCell(0, 5);  // a header cell
    EXPECT_EQ(seen, (std::vector<std::string>{"MouseUp 1", "Click", "MouseUp 1", "Click"}));
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.Col(), 2);

    grid.UserArrow(-10, 0);
    EXPECT_EQ(grid.Row(), 1);

    // Arrow keys step over hidden columns and stop at the edge.
    MemoryGrid& day = ui.GridZoom;
    day.SetVisible(true);
    day.SetColWidth(2, 0);
    day.SetColWidth(3, 0);
    day.SetCol(1);
    day.UserArrow(0, 1);
    EXPECT_EQ(day.Col(), 1);
}

TEST(MemoryWidget, FocusNotificationsArriveAfterTheHandlerThatCausedThem) {
    MemorySurface ui;
    std::vector<std::string> seen;
    ui.txtClock.SetVisible(true);
    ui.cboPerson.SetVisible(true);
    ui.txtClock.events.GotFocus = [&] { seen.push_back("clock GotFocus"); };
    ui.txtClock.events.LostFocus = [&] { seen.push_back("clock LostFocus"); };
    ui.txtClock.events.Validate = [&](bool&) { seen.push_back("clock Validate"); };
    ui.cboPerson.events.GotFocus = [&] { seen.push_back("person GotFocus"); };
    ui.txtClock.events.KeyDown = [&](int key, int) {
        if (key != 13) return;
        ui.cboPerson.SetFocus();
        ui.txtClock.SetVisible(false);
        seen.push_back("Enter handled");
    };

    ASSERT_TRUE(ui.txtClock.UserFocus());
    ui.txtClock.UserKey(13);
    // The box hidden under the focus is not asked to validate.
    EXPECT_EQ(seen, (std::vector<std::string>{"clock GotFocus", "Enter handled", "clock LostFocus", "person GotFocus"}));
    EXPECT_EQ(ui.Focused(), &ui.cboPerson);
}

TEST(MemoryWidget, AClickIsValidatedFirstAndHandledBeforeTheFocusNotifications) {
    MemorySurface ui;
    std::vector<std::string> seen;
    ui.txtClock.SetVisible(true);
    ui.txtClock.events.Validate = [&](bool&) { seen.push_back("clock Validate"); };
    ui.txtClock.events.LostFocus = [&] { seen.push_back("clock LostFocus"); };
    ui.Grid.events.EnterCell = [&] { seen.push_back("EnterCell"); };
    // A handler that moves the focus elsewhere does not stop the click.
    ui.Grid.events.MouseUp = [&](int, int, Twips, Twips) { ui.txtClock.SetFocus(); };
    ui.Grid.events.Click = [&] { seen.push_back("Click"); };
    ASSERT_TRUE(ui.txtClock.UserFocus());
    EXPECT_TRUE(ui.Grid.UserClickCell(2, 2));
    EXPECT_EQ(seen, (std::vector<std::string>{"clock Validate", "EnterCell", "Click", "clock LostFocus"}));
}

TEST(MemoryWidget, ValidateCancelKeepsTheFocusAndSwallowsTheClick) {
    MemorySurface ui;
    ui.txtClock.SetVisible(true);
    ui.txtClock.events.Validate = [](bool& cancel) { cancel = true; };
    int lost = 0, clicks = 0;
    ui.txtClock.events.LostFocus = [&] { ++lost; };
    ui.Grid.events.Click = [&] { ++clicks; };
    ui.txtClock.UserFocus();

    EXPECT_FALSE(ui.Grid.UserClickCell(2, 2));
    EXPECT_EQ(ui.Focused(), &ui.txtClock);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(ui.Grid.Row(), 1);

    // Hiding the focused box gives the focus to the next of the tab chain
    // that can take it (the person box is hidden: round to the sheet),
    // without Validate.
    ui.txtClock.SetVisible(false);
    EXPECT_EQ(ui.Focused(), &ui.Grid);
    ui.ProcessEvents();
    EXPECT_EQ(lost, 1);
}

} // namespace
} // namespace agendor::memory
