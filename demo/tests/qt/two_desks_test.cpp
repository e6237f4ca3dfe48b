// Two desks on one SQLite file, each the demo window on the real Qt
// widgets: what one books, the other shows within two seconds with its day
// grid kept; what one deleted, the other is refused and then no longer
// shows. Screenshots of both go next to the test binary.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "agendor/control/agendor.h"
#include "agendor/data/day_grid.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_host.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/qt/tests/qt_sqlite_file.h"
#include "agendor/platform/qt/tests/qt_test_support.h"
#include "agendor/platform/sqlite/sample_database.h"
#include "agendor/sheet/sheet_model.h"
#include "demo/demo_window.h"

namespace agendor::demo {
namespace {

using qt::testing::DeliverPosted;

const DateTime kDay = dt::FromYmd(2027, 3, 17);

class TwoDesks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("termine.sqlite").toStdString();
        const sqlite::DataProperties properties = sqlite::CreateSampleDatabase(
            path, {.persons = 4, .appointments = 0, .fromYear = 2027, .toYear = 2027});
        for (int i = 0; i < 2; ++i) {
            desks[i] = std::make_unique<DemoWindow>(path, properties);
            desks[i]->resize(900, 680);
            desks[i]->move(i * 920, 0);
            qt::testing::ShowActive(*desks[i]);
            desks[i]->calendar().control().SetDateValue(kDay);
            desks[i]->calendar().control().SetView(agMonat);
        }
        DeliverPosted();
        QDir().mkpath(QStringLiteral(AGENDOR_DEMO_TEST_OUTPUT));
        // On a display a box waits for a click: the timer answers Yes or
        // OK, as a box without a display answers.
        answerer.setInterval(20);
        QObject::connect(&answerer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            boxes.push_back(box->text().toStdString());
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            if (yes || ok) (yes ? yes : ok)->click();
        });
        answerer.start();
    }

    qt::QtSurface& ui(int desk) { return desks[desk]->calendar().surface(); }

    std::string DayGrid(int desk) {
        std::string text;
        qt::QtFlexGrid& zoom = *ui(desk).GridZoom;
        for (int r = 1; r < zoom.Rows(); ++r) text += zoom.TextMatrix(r, 0) + " " + zoom.TextMatrix(r, 1) + "\n";
        return text;
    }

    void Click(int desk, QWidget* w, QPoint at) {
        desks[desk]->activateWindow();
        QApplication::setActiveWindow(desks[desk].get());
        QTest::mouseClick(desks[desk]->windowHandle(), Qt::LeftButton, {}, w->mapTo(desks[desk].get(), at));
        DeliverPosted();
    }
    void ClickButton(int desk, int index) {
        QWidget* button = ui(desk).Toolbar1->ButtonWidget(index);
        Click(desk, button, button->rect().center());
    }
    void OpenDay(int desk) {
        const SheetCell cell = MonthCellOf(kDay);
        qt::testing::DoubleClick(ui(desk).Grid->viewport(), ui(desk).Grid->CellRect(cell.row, cell.col).center());
        DeliverPosted();
        ASSERT_TRUE(ui(desk).GridZoom->isVisible());
    }
    // Deletes the first appointment of the open day grid, as a person does;
    // what a box without a display said is added to boxes.
    void DeleteFirst(int desk) {
        Click(desk, ui(desk).GridZoom->viewport(), ui(desk).GridZoom->CellRect(1, 1).center());
        ::testing::internal::CaptureStderr();
        ClickButton(desk, 1);
        // Without a display each box is a line "Agendor: " and its text,
        // which may hold line breaks of its own.
        const std::string written = "\n" + ::testing::internal::GetCapturedStderr();
        const std::string mark = "\nAgendor: ";
        for (std::size_t at = written.find(mark); at != std::string::npos;) {
            const std::size_t next = written.find(mark, at + 1);
            std::string text = written.substr(at + mark.size(), next - at - mark.size());
            if (!text.empty() && text.back() == '\n') text.pop_back();
            boxes.push_back(text);
            at = next;
        }
    }
    bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > milliseconds) return false;
            QTest::qWait(10);
        }
        return true;
    }
    // Booked by another program on the file.
    void Book(DateTime when, const char* name) {
        AppointmentStore store(path, {"Termine", "TerminID", "Datum", "Name", "PersonID"});
        ASSERT_EQ(store.Insert(when, 1, name), std::nullopt);
    }
    void Screenshot(int desk, const char* name) {
        DeliverPosted();
        desks[desk]->grab().save(QStringLiteral(AGENDOR_DEMO_TEST_OUTPUT "/") + QLatin1String(name) + ".png");
    }

    QTemporaryDir dir;
    std::string path;
    std::unique_ptr<DemoWindow> desks[2];
    QTimer answerer;
    std::vector<std::string> boxes;
};

TEST_F(TwoDesks, WhatOneBooksTheOtherShowsWithinTwoSecondsKeepingItsDayGrid) {
    OpenDay(0);
    OpenDay(1);
    ClickButton(0, 2);
    QTest::keyClicks(QApplication::focusWidget(), "0930");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    DeliverPosted();
    ASSERT_TRUE(ui(0).cboPerson->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), "Zweiter Platz");
    QElapsedTimer elapsed;
    elapsed.start();
    ClickButton(0, 3);
    ASSERT_EQ(DayGrid(0), "09:30 Zweiter Platz\n");
    ASSERT_TRUE(WaitUntil([&] { return DayGrid(1) == "09:30 Zweiter Platz\n"; }, 2000)) << DayGrid(1);
    EXPECT_LT(elapsed.elapsed(), 2000);
    EXPECT_TRUE(ui(1).GridZoom->isVisible());
    EXPECT_EQ(desks[1]->calendar().control().DateValue(), kDay);
    EXPECT_EQ(desks[1]->statusBar()->currentMessage().toStdString(),
              "Geändert an einem anderen Platz: der Kalender ist neu geladen.");
    Screenshot(0, "two-desks-1-booked");
    Screenshot(1, "two-desks-2-shown");
    // The booking desk did not take its own change for another's.
    EXPECT_EQ(desks[0]->statusBar()->currentMessage().toStdString().rfind("Termin gespeichert", 0), 0u);
}

TEST_F(TwoDesks, WhileTheUserTypesATimeTheReloadWaits) {
    OpenDay(1);
    ClickButton(1, 2);
    QTest::keyClicks(QApplication::focusWidget(), "08");
    Book(kDay + 0.5, "Mittag");
    QTest::qWait(1200);
    EXPECT_EQ(DayGrid(1), "__:__ \n");
    EXPECT_EQ(ui(1).txtClock->Text(), "08:__");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ASSERT_TRUE(WaitUntil([&] { return DayGrid(1) == "12:00 Mittag\n"; }, 2000)) << DayGrid(1);
}

TEST_F(TwoDesks, ADeleteOfARowTheOtherDeskDeletedIsRefusedAndTheRowGoesFromBoth) {
    Book(kDay + 0.375, "Beide");
    for (int desk : {0, 1}) {
        desks[desk]->calendar().Refresh();
        OpenDay(desk);
        ASSERT_EQ(DayGrid(desk), "09:00 Beide\n");
    }
    desks[1]->WatchFile(false);
    DeleteFirst(0);
    EXPECT_EQ(DayGrid(0), "");
    ASSERT_EQ(DayGrid(1), "09:00 Beide\n");
    boxes.clear();
    desks[1]->WatchFile(true);
    DeleteFirst(1);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Termin löschen?",
                                               "Der Termin wurde inzwischen von einem anderen Benutzer geändert."}));
    ASSERT_TRUE(WaitUntil([&] { return DayGrid(1).empty(); }, 2000)) << DayGrid(1);
    EXPECT_TRUE(ui(1).GridZoom->isVisible());
    EXPECT_EQ(desks[1]->calendar().control().DateValue(), kDay);
    Screenshot(1, "two-desks-3-refused");
}

// Two appointments with one id: deleting one would delete both, so the
// user is told that the id is not unique, and both stay.
TEST_F(TwoDesks, AnIdTwoAppointmentsShareIsNamedAndNothingIsDeleted) {
    const std::string morning = std::to_string(kDay + 0.375), noon = std::to_string(kDay + 0.5);
    qt::testing::ExecOnFile(path, "DROP TABLE Termine; CREATE TABLE Termine (TerminID INTEGER, Datum REAL, "
                                  "PersonID INTEGER, Name TEXT); INSERT INTO Termine VALUES (7, " + morning +
                                      ", 1, 'Erster'), (7, " + noon + ", 2, 'Zweiter')");
    desks[0]->calendar().Refresh();
    OpenDay(0);
    ASSERT_EQ(DayGrid(0), "09:00 Erster\n12:00 Zweiter\n");
    DeleteFirst(0);
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "Termin löschen?", "Der Termin konnte nicht gelöscht werden:\nDie Termin-ID 7 ist nicht "
                                            "eindeutig: 2 Termine in der Tabelle Termine tragen sie. Es wurde nichts "
                                            "geändert."}));
    QTest::qWait(100);
    EXPECT_EQ(DayGrid(0), "09:00 Erster\n12:00 Zweiter\n");
}

} // namespace
} // namespace agendor::demo
