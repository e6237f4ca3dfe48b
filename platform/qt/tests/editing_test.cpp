// Editing in the day grid on the real Qt widgets, as Qt delivers a person's
// clicks: press and release arrive together (a tap, a busy UI thread), so
// the click is handled before the focus change it causes is posted on.
// Keys go to the widget that has the focus. The host stores into a real
// SQLite file; the month sheet shows November 2001 (the 14th is row 3,
// column 2, the 20th row 4, column 1).
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "agendor/control/agendor.h"
#include "agendor/data/day_grid.h"
#include "agendor/platform/date_time.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/qt/tests/qt_sqlite_file.h"
#include "agendor/platform/qt/tests/qt_test_support.h"

namespace agendor::qt {
namespace {

using testing::DeliverPosted;

DateTime At(int day, int hour, int minute, double second = 0) {
    return dt::FromYmdHms(2001, 11, day, hour, minute, second);
}

std::string Sql(DateTime value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

class QtEditingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("termine.db").toStdString();
        testing::CreateCalendarFile(path, {"Abel", "Meier"}, {{At(14, 9, 0), 1}});
        // Stored off the millisecond grid, as a host's own arithmetic leaves it.
        testing::ExecOnFile(path, "INSERT INTO Termine VALUES (2, " + Sql(kLate) + ", 2, 'Meier')");
        widget = std::make_unique<AgendorWidget>();
        widget->resize(545, 479);
        ui = &widget->surface();
        testing::UseCalendarFile(*widget, path, messages);
        AgendorEvents& e = widget->control().Events();
        e.DateChange = [this](std::int32_t id, DateTime from, DateTime to, bool&) {
            events.push_back("DateChange " + std::to_string(id) + " " + DayGridDateTimeText(from) + " " +
                             DayGridDateTimeText(to));
            testing::ExecOnFile(path, "UPDATE Termine SET Datum = " + Sql(to) + " WHERE TerminID = " +
                                          std::to_string(id) + " AND Datum = " + Sql(from));
        };
        e.DateNew = [this](DateTime when, std::int32_t personId, const std::string& person, bool&) {
            events.push_back("DateNew " + DayGridDateTimeText(when) + " " + std::to_string(personId) + " " + person);
            testing::ExecOnFile(path, "INSERT INTO Termine (Datum, PersonID, Name) VALUES (" + Sql(when) + ", 0, '" +
                                          person + "')");
        };
        e.Click = [this](DateTime day) { events.push_back("Click " + DayGridDateTimeText(day)); };
        testing::ShowActive(*widget);
        widget->control().SetDateValue(At(14, 0, 0));
        widget->control().SetView(agMonat);
        DeliverPosted();
        testing::DoubleClick(ui->Grid->viewport(), ui->Grid->CellRect(3, 2).center());
        DeliverPosted();
        ASSERT_TRUE(ui->GridZoom->isVisible());
        events.clear();
    }

    // Press and release together, through the window as the window system
    // delivers them.
    void Click(QWidget* w, QPoint at) {
        QTest::mouseClick(widget->windowHandle(), Qt::LeftButton, {}, w->mapTo(widget.get(), at));
    }
    void ClickCell(QtFlexGrid& grid, int row, int col) { Click(grid.viewport(), grid.CellRect(row, col).center()); }
    void ClickButton(int index) { Click(ui->Toolbar1->ButtonWidget(index), QPoint(5, 5)); }
    void Type(const char* text) { QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(text)); }
    void Key(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    // The deferred refresh of the sheet runs, and what it posted.
    void AwaitTick() {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !ui->Timer1->Enabled(); }, 5000));
        DeliverPosted();
    }
    // What the person sees, next to the test binary (under xvfb-run, the
    // real window).
    void Screenshot(const char* name) {
        DeliverPosted();
        QDir().mkpath(QStringLiteral(AGENDOR_QT_TEST_OUTPUT));
        widget->grab().save(QStringLiteral(AGENDOR_QT_TEST_OUTPUT "/") + QLatin1String(name) + ".png");
    }

    const DateTime kLate = At(14, 11, 30, 0.029);
    QTemporaryDir dir;
    std::string path;
    std::unique_ptr<AgendorWidget> widget;
    QtSurface* ui = nullptr;
    std::vector<std::string> messages, events;
};

TEST_F(QtEditingTest, AClickOnAnotherTimeCommitsTheTypedTimeForItsOwnRowOnce) {
    ClickCell(*ui->GridZoom, 1, 0);
    ASSERT_EQ(QApplication::focusWidget(), ui->txtClock);
    Type("0815");
    ClickCell(*ui->GridZoom, 2, 0);
    DeliverPosted();
    EXPECT_EQ(events, std::vector<std::string>{"DateChange 1 14.11.2001 09:00:00 14.11.2001 08:15:00"});
    EXPECT_EQ(ui->txtClock->Text(), "11:30");
    EXPECT_EQ(QApplication::focusWidget(), ui->txtClock);
    Screenshot("editing-late-lost-focus");
    EXPECT_TRUE(messages.empty());
}

TEST_F(QtEditingTest, AClickOnTheSheetCommitsTheTypedTimeBeforeTheDayGridCloses) {
    ClickCell(*ui->GridZoom, 1, 0);
    Type("0815");
    ClickCell(*ui->Grid, 4, 1);
    DeliverPosted();
    EXPECT_EQ(events, (std::vector<std::string>{"DateChange 1 14.11.2001 09:00:00 14.11.2001 08:15:00",
                                                "Click 20.11.2001 00:00:00"}));
    EXPECT_FALSE(ui->GridZoom->isVisible());
    EXPECT_TRUE(messages.empty());
}

TEST_F(QtEditingTest, TheDeferredRefreshLeavesTheFocusInTheTimeEditor) {
    ClickButton(2);
    Type("0930");
    Key(Qt::Key_Return);
    DeliverPosted();
    Type("Nolte");
    Click(ui->txtClock, QPoint(2, ui->txtClock->height() / 2));
    AwaitTick();
    EXPECT_EQ(QApplication::focusWidget(), ui->txtClock);
    Key(Qt::Key_Home);
    Type("1015");
    Screenshot("editing-refresh-keeps-focus");
    ClickButton(3);
    DeliverPosted();
    EXPECT_EQ(events, std::vector<std::string>{"DateNew 14.11.2001 10:15:00 -1 Nolte"});
}

TEST_F(QtEditingTest, TheDeferredRefreshKeepsTheDayTheUserChose) {
    ClickButton(2);
    Type("0930");
    Key(Qt::Key_Return);
    DeliverPosted();
    Type("Nolte");
    ClickCell(*ui->Grid, 4, 1);
    AwaitTick();
    EXPECT_EQ(events, std::vector<std::string>{"Click 20.11.2001 00:00:00"});
    EXPECT_DOUBLE_EQ(widget->control().DateValue(), At(20, 0, 0));
    EXPECT_EQ(ui->Grid->Row(), 4);
    EXPECT_EQ(ui->Grid->Col(), 1);
    Screenshot("editing-refresh-keeps-day");
}

} // namespace
} // namespace agendor::qt
