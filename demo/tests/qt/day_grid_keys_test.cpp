// The day grid and the person box of the demo as a person uses them: every
// key goes to the widget that has the focus, every click through the
// window, and what is stored is read back from the SQLite file.
#include <QScrollBar>

#include "agendor/platform/qt/qt_markers.h"
#include "demo/tests/qt/demo_desk.h"

namespace agendor::demo::testing {
namespace {

// Wednesday, 17 March 2027, on the month sheet of March 2027.
const DateTime kDay = dt::FromYmd(2027, 3, 17);

class DayGridAsAPersonUsesIt : public DemoTest {
protected:
    // A day with `appointments` appointments from 08:00 on, every quarter of
    // an hour, in a window of size; the sheet has the focus.
    void OpenWith(int appointments = 0, QSize size = {900, 680}) {
        std::string sql;
        for (int i = 0; i < appointments; ++i)
            sql += "INSERT INTO Termine (Datum, PersonID, Name) SELECT " + Literal(kDay + (8 * 60 + 15 * i) / 1440.0) +
                   ", PersonID, Name FROM Personen WHERE PersonID = " + std::to_string(1 + i % 4) + ";";
        Open(kDay, sql, size);
        Sheet().setFocus();
        DeliverPosted();
    }
    // The time of the appointment with id, "hh:nn".
    std::string StoredTime(int id) {
        for (const std::string& row : Stored("", " WHERE TerminID = " + std::to_string(id))) return row.substr(11, 5);
        return "gelöscht";
    }
    QRect ZoomCell(int row, int col) { return InWindow(Zoom().viewport(), Zoom().CellRect(row, col)); }
    QRect Of(QWidget* w) { return InWindow(w, w->rect()); }
};

TEST_F(DayGridAsAPersonUsesIt, TheDeferredRefreshChoosesNoPerson) {
    OpenWith(2);
    OpenDay(kDay);
    AddAt("0930");
    EXPECT_EQ(Person().Text(), "");
    EXPECT_FALSE(SaveOn());
    // Leaving the box for a row of the day grid refreshes the sheet shortly
    // after; the person list is loaded anew under the empty box.
    ClickZoomCell(1, 1);
    WaitForDeferredRefresh();
    EXPECT_EQ(Person().Text(), "");
    EXPECT_EQ(Person().ListIndex(), -1);
    EXPECT_FALSE(SaveOn());
    ClickButton(3);
    EXPECT_EQ(Stored().size(), 2u);
}

TEST_F(DayGridAsAPersonUsesIt, EnterStoresATypedNameAndEscDropsTheRow) {
    struct Case {
        const char* name;
        const char* typed;
        Qt::Key key;
        std::vector<std::string> stored;
    };
    const Case cases[] = {
        {"Enter", "Zyx Neu", Qt::Key_Return, {"17.03.2027 09:30 Zyx Neu NULL"}},
        {"Esc after a name", "Zyx Neu", Qt::Key_Escape, {}},
        {"Esc in the empty box", "", Qt::Key_Escape, {}},
    };
    OpenWith();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenDay(kDay);
        AddAt("0930");
        Type(c.typed);
        Key(c.key);
        EXPECT_EQ(Stored(), c.stored);
        EXPECT_EQ(Zoom().Rows(), 1 + static_cast<int>(c.stored.size()));
        EXPECT_FALSE(Person().isVisible());
        EXPECT_FALSE(Clock().isVisible());
        EXPECT_TRUE(ui().Toolbar1->Button(2).enabled);
        if (c.key == Qt::Key_Escape) {
            EXPECT_EQ(QApplication::focusWidget(), &Zoom());
        }
        WaitForDeferredRefresh();
        qt::testing::ExecOnFile(file.path, "DELETE FROM Termine");
        window->calendar().Refresh();
        DeliverPosted();
    }
}

// A day with a scroll bar, in a large and a small window: a click on a name
// keeps the time column whole; Add scrolls the new row into view with both
// editors exactly over it, at once and after the view has settled; the next
// day opened shows its time column, too.
TEST_F(DayGridAsAPersonUsesIt, OnALongDayTheTimesStayWholeAndAddPutsTheEditorsOverTheNewRow) {
    for (const QSize size : {QSize(900, 680), QSize(520, 420)}) {
        SCOPED_TRACE(size.width());
        OpenWith(30, size);
        OpenDay(kDay);
        ASSERT_TRUE(Zoom().verticalScrollBar()->isVisible());
        ClickZoomCell(2, 1);
        Screenshot(QStringLiteral("day-grid-name-clicked-%1").arg(size.width()));
        EXPECT_EQ(Zoom().horizontalScrollBar()->value(), 0);
        EXPECT_EQ(ZoomCell(2, 0).left(), Of(Zoom().viewport()).left());
        ClickButton(2);
        ExpectEditorOver(Zoom().Rows() - 1);
        QTest::qWait(300);
        DeliverPosted();
        ExpectEditorOver(Zoom().Rows() - 1);
        // Scrolled to the end, no row sticks out under the header as a strip
        // of cut text: the header covers it, in its grey.
        const int header = Zoom().rowHeight(0);
        const int under = Zoom().rowAt(header - 1);
        const QImage shown = Zoom().viewport()->grab().toImage();
        for (int y = header; y < Zoom().rowViewportPosition(under) + Zoom().rowHeight(under) - 1; ++y)
            EXPECT_EQ(shown.pixelColor(Zoom().columnViewportPosition(0) + 1, y), QColor(0xC0, 0xC0, 0xC0)) << y;
        Screenshot(QStringLiteral("add-on-a-long-day-%1").arg(size.width()));
        OpenDay(kDay + 1);
        EXPECT_EQ(ZoomCell(0, 0).left(), Of(Zoom().viewport()).left());
    }
}

// Enter, F2 or a digit on a time cell opens the time editor there; the day
// grid opened from the keyboard has the focus on its first row.
TEST_F(DayGridAsAPersonUsesIt, KeysOnATimeCellRetime) {
    struct Case {
        const char* name;
        Qt::Key key;
        const char* typed;
        const char* stored;
    };
    const Case cases[] = {
        {"Enter", Qt::Key_Return, "1015", "10:15"},
        {"F2", Qt::Key_F2, "1100", "11:00"},
        {"a digit", Qt::Key_1, "200", "12:00"},
    };
    OpenWith(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Key(Qt::Key_Return);
        ASSERT_TRUE(Zoom().isVisible());
        ASSERT_EQ(QApplication::focusWidget(), &Zoom());
        EXPECT_EQ(std::make_pair(Zoom().Row(), Zoom().Col()), std::make_pair(1, 0));
        const int id = std::stoi(Zoom().TextMatrix(1, 3));
        Key(c.key);
        ASSERT_TRUE(Clock().isVisible());
        ASSERT_EQ(QApplication::focusWidget(), &Clock());
        ExpectEditorOver(1);
        Type(c.typed);
        Key(Qt::Key_Return);
        EXPECT_EQ(StoredTime(id), c.stored);
        Key(Qt::Key_Escape);
        EXPECT_FALSE(Zoom().isVisible());
        EXPECT_EQ(QApplication::focusWidget(), &Sheet());
    }
}

// The markers of the days the day grid covers stay below its toolbar and
// title: none lies above them in the stacking order where they meet.
TEST_F(DayGridAsAPersonUsesIt, CoveredMarkersStayBelowTheDayGridsTitle) {
    OpenWith();
    // Wednesday 3 March, in the first row under the day grid's toolbar once
    // Tuesday 2 March is opened.
    std::string sql;
    for (int i = 0; i < 20; ++i)
        sql += "INSERT INTO Termine (Datum, PersonID, Name) VALUES (" +
               Literal(dt::FromYmdHms(2027, 3, 3, 8 + i / 4, 15 * (i % 4), 0)) + ", 1, 'Becker');";
    qt::testing::ExecOnFile(file.path, sql);
    window->calendar().Refresh();
    DeliverPosted();
    OpenDay(dt::FromYmd(2027, 3, 2));
    Screenshot(QStringLiteral("covered-markers"));
    const QObjectList stack = window->calendar().children();
    auto level = [&stack](const QWidget* w) { return stack.indexOf(const_cast<QWidget*>(w)); };
    qt::QtMarkerArray& markers = *ui().btnVorlage;
    int meeting = 0;
    for (int i = 1; i <= markers.LoadedCount(); ++i) {
        const QWidget* marker = markers.ShownOn(i);
        if (!marker) continue;
        for (const QWidget* part : {static_cast<QWidget*>(ui().Toolbar1), static_cast<QWidget*>(ui().txtToolbarTag)}) {
            if (!marker->geometry().intersects(part->geometry())) continue;
            ++meeting;
            EXPECT_GT(level(part), level(marker)) << part->objectName().toStdString();
        }
    }
    EXPECT_GT(meeting, 0);
}

// The whole way with the keys alone, each step checked in the file: open the
// day from the sheet, add, type a time and a new name, Enter, move to the
// new row, retime it, delete it, close the day grid.
TEST_F(DayGridAsAPersonUsesIt, TheKeyboardAloneAddsRetimesAndDeletes) {
    OpenWith(1);  // 08:00
    const std::string before = Stored().at(0);
    Key(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), &Zoom());
    Key(Qt::Key_Tab);  // the day grid's Add, the one button on
    ASSERT_EQ(QApplication::focusWidget(), ui().Toolbar1->ButtonWidget(2));
    Key(Qt::Key_Space);
    ASSERT_EQ(QApplication::focusWidget(), &Clock());
    Type("0930");
    Key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), &Person());
    Type("Zyx Neu");
    Key(Qt::Key_Return);
    EXPECT_EQ(Stored(), (std::vector<std::string>{before, "17.03.2027 09:30 Zyx Neu NULL"}));

    // Back into the day grid, down to the new row, retimed with F2.
    for (int i = 0; i < 3 && QApplication::focusWidget() != &Zoom(); ++i) Key(Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), &Zoom());
    Key(Qt::Key_Down);
    ASSERT_EQ(Zoom().TextMatrix(Zoom().Row(), 1), "Zyx Neu");
    Key(Qt::Key_F2);
    ASSERT_EQ(QApplication::focusWidget(), &Clock());
    Type("1045");
    Key(Qt::Key_Return);
    EXPECT_EQ(Stored(), (std::vector<std::string>{before, "17.03.2027 10:45 Zyx Neu NULL"}));

    // Its name cell offers Delete; Tab reaches it, Space runs it and the
    // demo's question is answered Yes.
    if (QApplication::focusWidget() != &Zoom()) Key(Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), &Zoom());
    Key(Qt::Key_Right);
    ASSERT_EQ(Zoom().TextMatrix(Zoom().Row(), 1), "Zyx Neu");
    Key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), ui().Toolbar1->ButtonWidget(1));
    boxes.Capture([&] { Key(Qt::Key_Space); });
    boxes.Expect({"Termin löschen?"});
    EXPECT_EQ(Stored(), std::vector<std::string>{before});

    Key(Qt::Key_Escape);
    EXPECT_FALSE(Zoom().isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &Sheet());
    EXPECT_EQ(Stored(), std::vector<std::string>{before});
}

} // namespace
} // namespace agendor::demo::testing
