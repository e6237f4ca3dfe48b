// Moving an appointment to another day by dragging its day-grid row onto a
// day of the sheet: the demo's window on the real Qt widgets and a real
// SQLite file, the mouse driven through the window as a person's hand goes.
#include <optional>

#include "demo/tests/qt/demo_desk.h"

namespace agendor::demo::testing {
namespace {

// Monday, 8 March 2027, 09:30: the appointment that is moved.
const DateTime kMonday = dt::FromYmd(2027, 3, 8);
const DateTime kThursday = dt::FromYmd(2027, 3, 11);

class DragToMove : public DemoTest {
protected:
    void SetUp() override {
        Open(kMonday, "INSERT INTO Termine (Datum, PersonID, Name) SELECT " + Literal(kMonday + 9.5 / 24) +
                          ", PersonID, Name FROM Personen WHERE PersonID = 1;");
        OpenDay(kMonday);
        ASSERT_EQ(Zoom().Rows(), 2);
    }

    QPoint SheetDay(DateTime day) { return InWindow(Sheet().viewport(), SheetCentre(day) + QPoint(0, 8)); }
    // The middle of a line of a sheet cell's text (0 the day number).
    QPoint SheetLine(DateTime day, int line) {
        const SheetCell cell = MonthCellOf(day);
        const int height = QFontMetrics(Sheet().font()).height();
        return InWindow(Sheet().viewport(),
                        Sheet().CellRect(cell.row, cell.col).topLeft() + QPoint(20, 1 + height * line + height / 2));
    }
    // Presses on the row's name (or at `from`) and moves the mouse in steps to `to`.
    void DragRowTo(QPoint to, std::optional<QPoint> start = std::nullopt) {
        const QPoint from = start ? *start : InWindow(Zoom().viewport(), Zoom().CellRect(1, 1).center());
        QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, from);
        DeliverPosted();
        for (int step = 1; step <= 4; ++step) {
            QTest::mouseMove(window->windowHandle(), from + (to - from) * step / 4);
            DeliverPosted();
        }
    }
    void Release(QPoint at) {
        QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, at);
        DeliverPosted();
    }
    Qt::CursorShape Cursor() {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        return cursor ? cursor->shape() : Qt::ArrowCursor;
    }
};

TEST_F(DragToMove, ADayGridRowDroppedOnThursdayIsStoredThereAtItsTime) {
    DragRowTo(SheetDay(kThursday));
    const SheetCell thursday = MonthCellOf(kThursday);
    EXPECT_EQ(Sheet().DropTarget(), std::pair(thursday.row, thursday.col));
    EXPECT_EQ(Cursor(), Qt::DragMoveCursor);
    Screenshot("move-1-dragging");
    Release(SheetDay(kThursday));
    EXPECT_EQ(Stored(""), std::vector<std::string>{"11.03.2027 09:30"});
    EXPECT_EQ(SheetText(kThursday).rfind("11\r09:30", 0), 0u) << SheetText(kThursday);
    EXPECT_EQ(SheetText(kMonday), "8");
    // The day grid followed the appointment.
    EXPECT_EQ(Zoom().TextMatrix(1, 0), "09:30");
    EXPECT_EQ(control().DateValue(), kThursday);
    EXPECT_EQ(Sheet().DropTarget(), std::pair(-1, -1));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Screenshot("move-2-dropped");
}

TEST_F(DragToMove, EscEndsTheDragWithNothingChanged) {
    DragRowTo(SheetDay(kThursday));
    Key(Qt::Key_Escape);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Release(SheetDay(kThursday));
    EXPECT_EQ(Stored(""), std::vector<std::string>{"08.03.2027 09:30"});
    EXPECT_EQ(Sheet().DropTarget(), std::pair(-1, -1));
    EXPECT_EQ(SheetText(kThursday), "11");
}

// From the appointment's line in its sheet cell, over the forward button.
TEST_F(DragToMove, ASheetLineDroppedOnForwardPagesAndTheDragGoesOnIntoTheNextMonth) {
    QWidget* forward = ui().Toolbar2->ButtonWidget(4);
    const QPoint onForward = InWindow(forward, forward->rect().center());
    EXPECT_EQ(Sheet().LineAt(Sheet().viewport()->mapFrom(window.get(), SheetLine(kMonday, 1))), 1);
    DragRowTo(onForward, SheetLine(kMonday, 1));
    EXPECT_EQ(Cursor(), Qt::DragMoveCursor);
    Release(onForward);
    EXPECT_EQ(dt::Month(control().DateValue()), 4);
    EXPECT_EQ(Cursor(), Qt::DragMoveCursor);  // still dragging, over the button that pages
    const DateTime april15 = dt::FromYmd(2027, 4, 15);
    QTest::mouseMove(window->windowHandle(), SheetDay(april15));
    DeliverPosted();
    EXPECT_EQ(Cursor(), Qt::DragMoveCursor);
    Screenshot("move-3-dragging-next-month");
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, SheetDay(april15));
    DeliverPosted();
    EXPECT_EQ(Stored(""), std::vector<std::string>{"15.04.2027 09:30"});
    EXPECT_EQ(SheetText(april15).rfind("15\r09:30", 0), 0u) << SheetText(april15);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DragToMove, RestingOnBackPagesWhileTheButtonIsHeld) {
    QWidget* back = ui().Toolbar2->ButtonWidget(3);
    DragRowTo(InWindow(back, back->rect().center()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dt::Month(control().DateValue()) == 2; }, 5000));
    const DateTime february18 = dt::FromYmd(2027, 2, 18);
    QTest::mouseMove(window->windowHandle(), SheetDay(february18));
    DeliverPosted();
    Release(SheetDay(february18));
    EXPECT_EQ(Stored(""), std::vector<std::string>{"18.02.2027 09:30"});
}

// The keyboard path on the real widgets and file: Ctrl+X marks the row
// (grey, and said to a screen reader), the arrows go to Thursday on the
// sheet, Ctrl+V moves it there.
TEST_F(DragToMove, CutOnTheRowAndPasteOnThursdayByKeys) {
    const auto spoken = [](qt::QtFlexGrid& grid, int row, int col) {
        return grid.model()->index(row, col).data(Qt::AccessibleTextRole).toString().toStdString();
    };
    ClickZoomCell(1, 1);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Zoom().CellForeColor(1, 1), 0x808080u);
    EXPECT_EQ(spoken(Zoom(), 1, 1), Zoom().TextMatrix(1, 1) + ", zum Verschieben markiert");
    EXPECT_EQ(QApplication::focusWidget(), &Sheet());
    const SheetCell monday = MonthCellOf(kMonday);
    EXPECT_NE(spoken(Sheet(), monday.row, monday.col).find(", ein Termin ist zum Verschieben markiert"), std::string::npos)
        << spoken(Sheet(), monday.row, monday.col);
    Screenshot("move-4-cut");
    for (int i = 0; i < 3; ++i) Key(Qt::Key_Right);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Stored(""), std::vector<std::string>{"11.03.2027 09:30"});
    EXPECT_EQ(Zoom().CellForeColor(1, 1), 0u);
    EXPECT_EQ(spoken(Zoom(), 1, 1), Zoom().TextMatrix(1, 1));
    Screenshot("move-5-pasted");
}

} // namespace
} // namespace agendor::demo::testing
