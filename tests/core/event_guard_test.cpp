// An error that a child widget's event lets through ends in the control's
// error box, whatever backend raised the event: the guard is the core's.
#include <gtest/gtest.h>

#include "agendor/control/agendor.h"
#include "agendor/platform/memory/surface.h"

namespace agendor {
namespace {

// A timer the backend cannot stop any more.
class BrokenTimer final : public Timer {
public:
    bool Enabled() const override { return true; }
    void SetEnabled(bool) override { throw Error("Zeitgeber gestört"); }
    int Interval() const override { return 100; }
    void SetInterval(int) override {}
};

TEST(ChildEventGuard, AnErrorEscapingAWidgetEventIsShownInTheErrorBox) {
    memory::MemorySurface ui;
    BrokenTimer timer;
    Surface surface = ui.surface();
    surface.Timer1 = &timer;
    Agendor control(surface);
    ASSERT_TRUE(timer.Tick);
    EXPECT_NO_THROW(timer.Tick());
    ASSERT_EQ(ui.container.Messages().size(), 1u);
    const Message& box = ui.container.Messages()[0];
    EXPECT_EQ(box.text, "Zeitgeber gestört");
    EXPECT_EQ(box.title, "Agendor3.ocx");
    EXPECT_EQ(box.icon, MessageIcon::Critical);
}

} // namespace
} // namespace agendor
