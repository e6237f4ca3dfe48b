// The demo as a person uses it to edit appointments with the mouse: its
// window on the real Qt widgets, its own change handlers and a real SQLite
// file. Each step is checked in the file and on the screen, and saved as a
// screenshot next to the test binary.
#include <QAbstractItemView>
#include <QStatusBar>

#include "demo/tests/qt/demo_desk.h"

namespace agendor::demo::testing {
namespace {

// Sunday, 14 March 2027: the month sheet of March 2027 (the 1st a Monday).
const DateTime kDay = dt::FromYmd(2027, 3, 14);

class EditingEndToEnd : public DemoTest {
protected:
    void SetUp() override {
        Open(kDay);
        OpenDay(kDay);
    }
};

TEST_F(EditingEndToEnd, AddRetimeAndDeleteReachTheFile) {
    Screenshot("edit-1-day");
    ClickButton(2);
    ASSERT_TRUE(Clock().isVisible());
    EXPECT_TRUE(Clock().hasFocus());
    EXPECT_EQ(Clock().Text(), "__:__");
    ExpectEditorOver(1);
    Type("0930");
    Key(Qt::Key_Return);
    EXPECT_EQ(Zoom().TextMatrix(1, 0), "09:30");
    EXPECT_TRUE(Person().hasFocus());
    Screenshot("edit-2-time-typed");

    // Choose the second person from the drop-down list.
    ASSERT_GE(Person().ListCount(), 2);
    const std::string name = Person().List(1);
    Person().showPopup();
    DeliverPosted();
    QAbstractItemView* list = Person().view();
    Screenshot("edit-3-person-list");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 0)).center());
    DeliverPosted();
    EXPECT_EQ(Stored("Name"), std::vector<std::string>{"14.03.2027 09:30 " + name});
    EXPECT_EQ(SheetText(kDay).rfind("14\r09:30 " + name.substr(0, 3), 0), 0u) << SheetText(kDay);
    EXPECT_EQ(Zoom().TextMatrix(1, 0), "09:30");
    EXPECT_EQ(Zoom().TextMatrix(1, 1), name);
    EXPECT_FALSE(Person().isVisible());
    WaitForDeferredRefresh();
    Screenshot("edit-4-stored");

    // Retime: click the time, type over it, Enter.
    ClickZoomCell(1, 0);
    ASSERT_TRUE(Clock().isVisible());
    EXPECT_EQ(Clock().Text(), "09:30");
    ExpectEditorOver(1);
    Type("1015");
    Screenshot("edit-5-retime");
    Key(Qt::Key_Return);
    EXPECT_EQ(Stored("Name"), std::vector<std::string>{"14.03.2027 10:15 " + name});
    EXPECT_EQ(Zoom().TextMatrix(1, 0), "10:15");
    EXPECT_FALSE(Clock().isVisible());

    // Delete, confirmed in the demo's question box.
    ClickZoomCell(1, 1);
    ASSERT_TRUE(ui().Toolbar1->Button(1).enabled);
    boxes.Capture([&] { ClickButton(1); });
    boxes.Expect({"Termin löschen?"});
    EXPECT_TRUE(Stored().empty());
    EXPECT_EQ(Zoom().Rows(), 1);
    EXPECT_EQ(SheetText(kDay), "14");
    Screenshot("edit-6-deleted");
}

// What else refuses the focus to a malformed time is in the shared editing
// scripts; here the demo's own report of it.
TEST_F(EditingEndToEnd, AMalformedTimeIsToldAndKeepsTheFocus) {
    ClickButton(2);
    Type("2500");
    Key(Qt::Key_Return);
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), "Ungültige Uhrzeit: 25:00");
    EXPECT_TRUE(Clock().hasFocus());
    Screenshot("edit-7-malformed");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Clock().isVisible());
    EXPECT_TRUE(Stored().empty());
}

// The first letters complete to the whole name in the box; Save stores it.
TEST_F(EditingEndToEnd, ANameTypedAndCompletedIsStoredWithSave) {
    AddAt("0800", Qt::Key_Return);
    const std::string first = Person().List(0);
    Type(first.substr(0, 2).c_str());
    EXPECT_EQ(Person().Text(), first);
    EXPECT_EQ(Person().ListIndex(), 0);
    Screenshot("edit-8-completed");
    ClickButton(3);
    EXPECT_EQ(Stored("Name"), std::vector<std::string>{"14.03.2027 08:00 " + first});
}

} // namespace
} // namespace agendor::demo::testing
