// The in-memory backend must behave like the desktop widgets wherever the
// control can tell the difference, or the control's tests would not find
// the faults the desktop shows: events re-enter the caller, the user's
// clicks arrive in the desktop's order, focus notifications arrive after the
// handler that caused them. The grid's rules are the Qt grid's own
// (GridCells), run side by side with it by the Qt tests' grid scripts; the
// rest of the doubles is exercised through the control's own tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agendor/platform/memory/surface.h"

namespace agendor::memory {
namespace {

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
