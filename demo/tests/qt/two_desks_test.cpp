// Two desks on one SQLite file, each the demo window on the real Qt
// widgets: what one books, the other shows within two seconds with its day
// grid kept; what one deleted, the other is refused and then no longer
// shows. Screenshots of both go next to the test binary.
#include <QElapsedTimer>
#include <QStatusBar>

#include "demo/tests/qt/demo_desk.h"

namespace agendor::demo::testing {
namespace {

const DateTime kDay = dt::FromYmd(2027, 3, 17);

class TwoDesks : public ::testing::Test {
protected:
    void SetUp() override {
        file.Create();
        for (int i = 0; i < 2; ++i) desks[i].Show(file, kDay, {900, 680}, {i * 920, 0});
    }
    void TearDown() override {
        for (Desk& desk : desks) desk.window.reset();
    }
    // Deletes the first appointment of the open day grid, as a person does.
    void DeleteFirst(Desk& desk) {
        desk.ClickZoomCell(1, 1);
        boxes.Capture([&] { desk.ClickButton(1); });
    }
    // Booked by another program on the file.
    void Book(DateTime when, const char* name) {
        AppointmentStore store(file.path, {"Termine", "TerminID", "Datum", "Name", "PersonID"});
        ASSERT_EQ(store.Insert(when, 1, name), std::nullopt);
    }

    SampleFile file;
    Desk desks[2];
    Boxes boxes;
};

TEST_F(TwoDesks, WhatOneBooksTheOtherShowsWithinTwoSecondsKeepingItsDayGrid) {
    desks[0].OpenDay(kDay);
    desks[1].OpenDay(kDay);
    desks[0].AddAt("0930", Qt::Key_Return);
    desks[0].Type("Zweiter Platz");
    QElapsedTimer elapsed;
    elapsed.start();
    desks[0].ClickButton(3);
    ASSERT_EQ(desks[0].DayGrid(), "09:30 Zweiter Platz\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return desks[1].DayGrid() == "09:30 Zweiter Platz\n"; }, 2000)) << desks[1].DayGrid();
    EXPECT_LT(elapsed.elapsed(), 2000);
    EXPECT_TRUE(desks[1].ui().GridZoom->isVisible());
    EXPECT_EQ(desks[1].control().DateValue(), kDay);
    EXPECT_EQ(desks[1].window->statusBar()->currentMessage().toStdString(),
              "Geändert an einem anderen Platz: der Kalender ist neu geladen.");
    desks[0].Screenshot("two-desks-1-booked");
    desks[1].Screenshot("two-desks-2-shown");
    // The booking desk did not take its own change for another's.
    EXPECT_EQ(desks[0].window->statusBar()->currentMessage().toStdString().rfind("Termin gespeichert", 0), 0u);
}

TEST_F(TwoDesks, WhileTheUserTypesATimeTheReloadWaits) {
    desks[1].OpenDay(kDay);
    desks[1].ClickButton(2);
    desks[1].Type("08");
    Book(kDay + 0.5, "Mittag");
    QTest::qWait(1200);
    EXPECT_EQ(desks[1].DayGrid(), "__:__ \n");
    EXPECT_EQ(desks[1].ui().txtClock->Text(), "08:__");
    desks[1].Key(Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return desks[1].DayGrid() == "12:00 Mittag\n"; }, 2000)) << desks[1].DayGrid();
}

TEST_F(TwoDesks, ADeleteOfARowTheOtherDeskDeletedIsRefusedAndTheRowGoesFromBoth) {
    Book(kDay + 0.375, "Beide");
    for (int desk : {0, 1}) {
        desks[desk].window->calendar().Refresh();
        desks[desk].OpenDay(kDay);
        ASSERT_EQ(desks[desk].DayGrid(), "09:00 Beide\n");
    }
    desks[1].window->WatchFile(false);
    DeleteFirst(desks[0]);
    EXPECT_EQ(desks[0].DayGrid(), "");
    ASSERT_EQ(desks[1].DayGrid(), "09:00 Beide\n");
    boxes.texts.clear();
    desks[1].window->WatchFile(true);
    DeleteFirst(desks[1]);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"Termin löschen?",
                                               "Der Termin wurde inzwischen von einem anderen Benutzer geändert."}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return desks[1].DayGrid().empty(); }, 2000)) << desks[1].DayGrid();
    EXPECT_TRUE(desks[1].ui().GridZoom->isVisible());
    EXPECT_EQ(desks[1].control().DateValue(), kDay);
    desks[1].Screenshot("two-desks-3-refused");
}

// Two appointments with one id: deleting one would delete both, so the
// user is told that the id is not unique, and both stay.
TEST_F(TwoDesks, AnIdTwoAppointmentsShareIsNamedAndNothingIsDeleted) {
    const std::string morning = std::to_string(kDay + 0.375), noon = std::to_string(kDay + 0.5);
    qt::testing::ExecOnFile(file.path, "DROP TABLE Termine; CREATE TABLE Termine (TerminID INTEGER, Datum REAL, "
                                  "PersonID INTEGER, Name TEXT); INSERT INTO Termine VALUES (7, " + morning +
                                      ", 1, 'Erster'), (7, " + noon + ", 2, 'Zweiter')");
    desks[0].window->calendar().Refresh();
    desks[0].OpenDay(kDay);
    ASSERT_EQ(desks[0].DayGrid(), "09:00 Erster\n12:00 Zweiter\n");
    DeleteFirst(desks[0]);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{
                         "Termin löschen?", "Der Termin konnte nicht gelöscht werden:\nDie Termin-ID 7 ist nicht "
                                            "eindeutig: 2 Termine in der Tabelle Termine tragen sie. Es wurde nichts "
                                            "geändert."}));
    QTest::qWait(100);
    EXPECT_EQ(desks[0].DayGrid(), "09:00 Erster\n12:00 Zweiter\n");
}

} // namespace
} // namespace agendor::demo::testing
