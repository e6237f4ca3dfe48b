// The control on the real Qt widgets over a real SQLite file, used as a
// person uses it: the month sheet with its lines and markers, the day grid
// opened by a double click or a marker, Esc, the arrow keys, and the
// events that reach the host.
#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

#include "agendor/core/date_time.h"
#include "agendor/platform/memory/clock.h"
#include "agendor/platform/qt/tests/qt_sqlite_file.h"
#include "agendor/platform/qt/tests/qt_test_support.h"

namespace agendor::qt {
namespace {

using testing::Appointment;
using testing::DeliverPosted;

// Wednesday, 14 November 2001, 10:00.
const DateTime kToday = dt::FromYmdHms(2001, 11, 14, 10, 0, 0);

DateTime At(int day, int hour, int minute) { return dt::FromYmdHms(2001, 11, day, hour, minute, 0); }

std::vector<Appointment> NovemberAppointments() {
    std::vector<Appointment> list = {
        {At(5, 9, 5), 1},
        {At(14, 10, 0), 2},
        {At(14, 8, 0), 3},
        {At(24, 11, 30), 1},  // a Saturday
    };
    // More than a cell holds on Tuesday the 20th.
    for (int i = 0; i < 12; ++i) list.push_back({At(20, 8 + i % 10, 5 * i % 60), 1 + i % 3});
    return list;
}

// The cell text holds the expected lines, each one whole or cut at the right
// but never shorter than its time ("09:05").
void ExpectLines(const std::string& cell, const std::vector<std::string>& expected) {
    const QStringList lines = QString::fromStdString(cell).split('\r');
    ASSERT_EQ(std::size_t(lines.size()), expected.size()) << cell;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string line = lines[qsizetype(i)].toStdString();
        EXPECT_EQ(expected[i].rfind(line, 0), 0u) << line << " / " << expected[i];
        EXPECT_GE(line.size(), std::min<std::size_t>(expected[i].size(), 5)) << line;
    }
}

class AgendorWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("termine.db").toStdString();
        testing::CreateCalendarFile(path, {"Meier", "Müller", "Schulz"}, NovemberAppointments());
        widget = std::make_unique<AgendorWidget>(nullptr, &clock);
        widget->resize(545, 479);  // 8175 x 7185 twips
        surface = &widget->surface();
        // Both grids keep Qt's model protocol through every refill.
        for (QtFlexGrid* grid : {surface->Grid, surface->GridZoom})
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                grid->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
        testing::UseCalendarFile(*widget, path, messages);
        QObject::connect(widget.get(), &AgendorWidget::clicked, [this](double day) { clicks.push_back(day); });
        QObject::connect(widget.get(), &AgendorWidget::doubleClicked, [this](double day) { doubleClicks.push_back(day); });
        testing::ShowActive(*widget);
        widget->control().SetView(agMonat);
        DeliverPosted();
    }

    QtFlexGrid& Grid() { return *surface->Grid; }
    QtFlexGrid& Zoom() { return *surface->GridZoom; }
    QPoint CellCentre(int row, int col) { return Grid().CellRect(row, col).center(); }
    // The day grid's rows, header first, "time name" each, '|' between.
    std::string ZoomRows() {
        std::string rows;
        for (int r = 0; r < Zoom().Rows(); ++r) rows += (r ? "|" : "") + Zoom().TextMatrix(r, 0) + " " + Zoom().TextMatrix(r, 1);
        return rows;
    }

    memory::FixedClock clock{kToday};
    QTemporaryDir dir;
    std::string path;
    std::unique_ptr<AgendorWidget> widget;
    QtSurface* surface = nullptr;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    std::vector<std::string> messages;
    std::vector<double> clicks, doubleClicks;
};

TEST_F(AgendorWidgetTest, TheMonthSheetShowsTheLinesAndMarkersOfTheDatabase) {
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(surface->lblMonat->Caption(), "November 2001");
    EXPECT_EQ(Grid().TextMatrix(0, 0), "Mo");
    // 1 November 2001 is a Thursday.
    // Each line is cut to the column: what stands is a beginning of it.
    ExpectLines(Grid().TextMatrix(1, 3), {"1 Allerheiligen"});
    ExpectLines(Grid().TextMatrix(2, 0), {"5", "09:05 Meier"});
    ExpectLines(Grid().TextMatrix(3, 2), {"14", "08:00 Schulz", "10:00 Müller"});
    ExpectLines(Grid().TextMatrix(4, 5), {"24", "11:30 Meier"});
    const std::string twentieth = Grid().TextMatrix(4, 1);
    EXPECT_EQ(twentieth.rfind("20\r08:00 ", 0), 0u) << twentieth;

    QtMarkerArray& markers = *surface->btnVorlage;
    ASSERT_GT(markers.LoadedCount(), 0);
    const int shownLines = static_cast<int>(std::count(twentieth.begin(), twentieth.end(), '\r'));
    EXPECT_EQ(shownLines + markers.LoadedCount(), 12);
    for (int i = 1; i <= markers.LoadedCount(); ++i) {
        EXPECT_EQ(markers.Tag(i), "20");
        ASSERT_NE(markers.ShownOn(i), nullptr);
        EXPECT_TRUE(markers.ShownOn(i)->isVisible());
        EXPECT_EQ(markers.ShownOn(i)->geometry().topRight(), Grid().CellRect(4, 1).translated(Grid().pos()).topRight()) << i;
    }
}

TEST_F(AgendorWidgetTest, DoubleClickOpensTheDayGridInTimeOrderAndReachesTheHost) {
    testing::DoubleClick(Grid().viewport(), CellCentre(3, 2));
    DeliverPosted();
    ASSERT_TRUE(Zoom().isVisible());
    EXPECT_TRUE(surface->Toolbar1->isVisible());
    EXPECT_EQ(ZoomRows(), "Zeit Kontakt|08:00 Schulz|10:00 Müller");
    EXPECT_EQ(surface->txtToolbarTag->Text(), "Mi, 14.11.01");
    ASSERT_EQ(doubleClicks.size(), 1u);
    EXPECT_DOUBLE_EQ(doubleClicks[0], dt::FromYmd(2001, 11, 14));
    testing::SaveShot(widget->grab(), "day-grid");
    // The day grid lies beside the day's column and does not cover it.
    const QRect day = Grid().CellRect(3, 2).translated(Grid().pos());
    EXPECT_FALSE(Zoom().geometry().intersects(day));
}

TEST_F(AgendorWidgetTest, AClickSelectsTheDayClosesTheDayGridAndReachesTheHost) {
    testing::DoubleClick(Grid().viewport(), CellCentre(3, 2));
    ASSERT_TRUE(Zoom().isVisible());
    clicks.clear();
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, CellCentre(2, 0));
    EXPECT_FALSE(Zoom().isVisible());
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_DOUBLE_EQ(clicks[0], dt::FromYmd(2001, 11, 5));
    EXPECT_DOUBLE_EQ(widget->control().DateValue(), dt::FromYmd(2001, 11, 5));
    // An empty cell of the month leaves the selected day alone.
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, CellCentre(1, 0));
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_DOUBLE_EQ(clicks[1], dt::FromYmd(2001, 11, 5));
}

TEST_F(AgendorWidgetTest, AMarkerOpensTheDayGridAndASecondClickClosesIt) {
    QtMarker* marker = surface->btnVorlage->ShownOn(1);
    ASSERT_NE(marker, nullptr);
    QTest::mouseClick(marker, Qt::LeftButton, {}, QPoint(7, 6));
    DeliverPosted();
    ASSERT_TRUE(Zoom().isVisible());
    EXPECT_EQ(Zoom().Rows(), 13);
    EXPECT_EQ(surface->txtToolbarTag->Text(), "Di, 20.11.01");
    for (int r = 2; r < Zoom().Rows(); ++r) EXPECT_LE(Zoom().TextMatrix(r - 1, 0), Zoom().TextMatrix(r, 0));
    // The day grid lies in front of the markers.
    QtMarker* top = surface->btnVorlage->ShownOn(surface->btnVorlage->LoadedCount());
    ASSERT_NE(top, nullptr);
    QTest::mouseClick(top, Qt::LeftButton, {}, QPoint(7, 6));
    DeliverPosted();
    EXPECT_FALSE(Zoom().isVisible());
}

TEST_F(AgendorWidgetTest, ArrowKeysAndTheToolbarMoveTheSelectionAndDateValue) {
    // The host hears of every new day (its status bar shows it).
    std::vector<double> reported;
    QObject::connect(widget.get(), &AgendorWidget::selectedDayChanged, [&](double day) { reported.push_back(day); });
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, CellCentre(3, 2));
    Grid().setFocus();
    QTest::keyClick(&Grid(), Qt::Key_Right);
    EXPECT_DOUBLE_EQ(widget->control().DateValue(), dt::FromYmd(2001, 11, 15));
    QTest::keyClick(&Grid(), Qt::Key_Down);
    EXPECT_DOUBLE_EQ(widget->control().DateValue(), dt::FromYmd(2001, 11, 22));
    for (int i = 0; i < 3; ++i) QTest::keyClick(&Grid(), Qt::Key_Up);
    EXPECT_DOUBLE_EQ(widget->control().DateValue(), dt::FromYmd(2001, 11, 1));
    // Never into the header row.
    QTest::keyClick(&Grid(), Qt::Key_Up);
    EXPECT_EQ(Grid().Row(), 1);
    EXPECT_DOUBLE_EQ(widget->control().DateValue(), dt::FromYmd(2001, 11, 1));
    ASSERT_FALSE(reported.empty());
    EXPECT_DOUBLE_EQ(reported.back(), dt::FromYmd(2001, 11, 1));
    EXPECT_DOUBLE_EQ(reported.front(), dt::FromYmd(2001, 11, 15));  // 14 November, today, was selected already
    // Paging from the toolbar changes the day, too; its first buttons switch the view.
    QTest::mouseClick(surface->Toolbar2->ButtonWidget(4), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(reported.back(), dt::FromYmd(2001, 12, 1));
    EXPECT_EQ(surface->lblMonat->Caption(), "Dezember 2001");
    QTest::mouseClick(surface->Toolbar2->ButtonWidget(1), Qt::LeftButton);
    EXPECT_EQ(widget->control().View(), agWoche);
    EXPECT_EQ(Grid().Rows(), 2);
    EXPECT_TRUE(surface->Toolbar2->Button(1).pressed);
    EXPECT_FALSE(surface->Toolbar2->Button(2).pressed);
    EXPECT_TRUE(messages.empty());
}

TEST_F(AgendorWidgetTest, TheContextMenuOffersTheCommandsAndSwallowsItsClick) {
    int offered = 0;
    surface->Kontextmenu->SetChooser([&](QtPopupMenu& menu) {
        for (int i = 1; i <= menu.ItemCount(); ++i) offered += menu.Item(i).visible;
        return 4;  // switch to the other view
    });
    clicks.clear();
    QTest::mouseClick(Grid().viewport(), Qt::RightButton, {}, CellCentre(2, 2));
    EXPECT_EQ(offered, 7);
    EXPECT_EQ(widget->control().View(), agWoche);
    EXPECT_EQ(surface->Kontextmenu->Item(4).caption, "Monatsansicht");
    EXPECT_TRUE(clicks.empty());
}

// Pixels where the look is fixed: today's number blue, weekend numbers red,
// past days on BackcolorPast, the teal marker.
TEST_F(AgendorWidgetTest, TheScreenshotShowsTheFixedColours) {
    using testing::CountLike;
    // Select another day, so today's cell shows its own background.
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, CellCentre(5, 3));
    const QImage shot = widget->grab().toImage();
    testing::SaveShot(shot, "month");

    auto cell = [&](int row, int col) { return Grid().CellRect(row, col).translated(Grid().pos()); };
    const QRect today = cell(3, 2);
    EXPECT_GT(CountLike(shot, today, QColor(0, 0, 255)), 5);
    EXPECT_EQ(shot.pixelColor(today.right() - 20, today.bottom() - 3), QColor(255, 255, 255));
    // Saturday the 17th and Sunday the 18th: red numbers.
    EXPECT_GT(CountLike(shot, cell(3, 5), QColor(255, 0, 0)), 5);
    EXPECT_GT(CountLike(shot, cell(3, 6), QColor(255, 0, 0)), 5);
    EXPECT_EQ(CountLike(shot, cell(3, 4), QColor(255, 0, 0)), 0);
    // Monday the 5th lies in the past.
    EXPECT_EQ(shot.pixelColor(cell(2, 0).right() - 5, cell(2, 0).bottom() - 5), QColor(220, 220, 220));
    EXPECT_EQ(shot.pixelColor(cell(4, 0).right() - 5, cell(4, 0).bottom() - 5), QColor(255, 255, 255));
    // The marker of the 20th.
    ASSERT_NE(surface->btnVorlage->ShownOn(1), nullptr);
    const QRect marker = surface->btnVorlage->ShownOn(1)->geometry();
    EXPECT_EQ(shot.pixelColor(marker.left() + 7, marker.top() + 4), QColor(0, 128, 128));
    // The selected day shows BackColorSel.
    EXPECT_EQ(shot.pixelColor(cell(5, 3).right() - 5, cell(5, 3).bottom() - 5), QColor(255, 255, 192));
}

// A resize, once the size has settled, cuts the lines for the new width and
// keeps what the person was looking at: the selected day, its highlighted
// cell and an open day grid next to its day's column.
TEST_F(AgendorWidgetTest, AResizeKeepsTheSelectedDayItsCellAndTheOpenDayGrid) {
    widget->SetReloadAfterResize(10);
    testing::DoubleClick(Grid().viewport(), CellCentre(4, 5));  // Saturday 24 November
    ASSERT_TRUE(Zoom().isVisible());
    ASSERT_DOUBLE_EQ(widget->control().DateValue(), dt::FromYmd(2001, 11, 24));
    testing::SaveShot(widget->grab(), "resize-before");
    const int markersBefore = surface->btnVorlage->LoadedCount();

    widget->resize(900, 760);
    // The sheet is loaded again: taller cells need fewer markers.
    ASSERT_TRUE(QTest::qWaitFor([&] { return surface->btnVorlage->LoadedCount() < markersBefore; }, 3000));
    DeliverPosted();
    testing::SaveShot(widget->grab(), "resize-after");
    EXPECT_DOUBLE_EQ(widget->control().DateValue(), dt::FromYmd(2001, 11, 24));
    EXPECT_EQ(std::make_pair(Grid().Row(), Grid().Col()), std::make_pair(4, 5));
    EXPECT_NE(Grid().TextMatrix(3, 2).find("Schulz"), std::string::npos);  // cut for the wider column
    ASSERT_TRUE(Zoom().isVisible());
    // Friday to Sunday: the day grid stands two columns to the left of its day.
    const QRect column3 = Grid().CellRect(1, 3).translated(Grid().pos());
    EXPECT_LE(std::abs(Zoom().x() - column3.left()), 1);
    EXPECT_LE(std::abs(surface->Toolbar1->x() - column3.left()), 1);
    EXPECT_EQ(surface->Toolbar1->width(), Zoom().width());
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages[0]);

    // A day grid showing a day is placed next to its day even when the
    // highlighted cell moved on with the arrow keys.
    widget->resize(700, 600);
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::abs(Zoom().x() - Grid().CellRect(1, 3).translated(Grid().pos()).left()) <= 1; }, 3000));
    EXPECT_DOUBLE_EQ(widget->control().DateValue(), dt::FromYmd(2001, 11, 24));
}

// Every way in from Qt (a click, a double click, a marker, a toolbar
// button, the timer, a reload after a resize) ends in a box when what it
// calls fails, and the control stays usable.
TEST_F(AgendorWidgetTest, NoErrorFromAnyEntryPointReachesQt) {
    widget->SetReloadAfterResize(10);
    bool broken = false;
    auto breakDatabase = [&] {
        testing::ExecOnFile(path, "ALTER TABLE Termine RENAME TO Weg; ALTER TABLE Personen RENAME TO Fort;");
        broken = true;
    };
    QMetaObject::Connection hostHandler;
    auto throwingHost = [&](void (AgendorWidget::*signal)(double)) {
        return [&, signal] {
            hostHandler = QObject::connect(widget.get(), signal, [](double) { throw std::runtime_error("Fehler im Host"); });
        };
    };
    // Each case: its name, what it breaks, what it does.
    const std::tuple<const char*, std::function<void()>, std::function<void()>> cases[] = {
        {"host's click handler", throwingHost(&AgendorWidget::clicked),
         [&] { QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, CellCentre(4, 1)); }},
        {"host's double-click handler", throwingHost(&AgendorWidget::doubleClicked),
         [&] { testing::DoubleClick(Grid().viewport(), CellCentre(4, 1)); }},
        {"double click on a broken database", breakDatabase,
         [&] { testing::DoubleClick(Grid().viewport(), CellCentre(2, 0)); }},
        {"marker on a broken database", breakDatabase,
         [&] { QTest::mouseClick(surface->btnVorlage->ShownOn(1), Qt::LeftButton); }},
        {"page forward on a broken database", breakDatabase,
         [&] { QTest::mouseClick(surface->Toolbar2->ButtonWidget(4), Qt::LeftButton); }},
        {"view switch on a broken database", breakDatabase,
         [&] { QTest::mouseClick(surface->Toolbar2->ButtonWidget(1), Qt::LeftButton); }},
        {"printer that fails",
         [&] { surface->SetPrinterFactory([]() -> std::unique_ptr<Printer> { throw Error("Drucker fehlt"); }); },
         [&] { QTest::mouseClick(surface->Toolbar2->ButtonWidget(5), Qt::LeftButton); }},
        {"timer on a broken database", breakDatabase,
         [&] { surface->Timer1->SetEnabled(true); QTest::qWait(300); }},
        {"reload after a resize on a broken database", breakDatabase,
         [&] { widget->resize(widget->width() + 40, widget->height()); QTest::qWait(300); }},
    };
    for (const auto& [name, fail, act] : cases) {
        messages.clear();
        fail();
        EXPECT_NO_THROW(act()) << name;
        DeliverPosted();
        EXPECT_FALSE(messages.empty()) << name;
        QObject::disconnect(hostHandler);
        surface->SetPrinterFactory(nullptr);
        if (std::exchange(broken, false))
            testing::ExecOnFile(path, "ALTER TABLE Weg RENAME TO Termine; ALTER TABLE Fort RENAME TO Personen;");
        // Still usable: the sheet loads again without a word.
        messages.clear();
        EXPECT_NO_THROW(widget->control().SetView(agMonat)) << name;
        EXPECT_TRUE(messages.empty()) << name << ": " << (messages.empty() ? "" : messages[0]);
    }
}

// Without a display nobody could answer a box: it goes to standard error,
// takes its default answer at once, and is counted so that a run can end
// with an error.
TEST(HeadlessMessageBox, GoesToStandardErrorAndTakesItsDefaultAnswer) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    QWidget owner;
    QtContainer container(&owner);
    // Should a box open after all, close it, so that the test fails instead
    // of waiting for ever.
    bool boxOpened = false;
    QTimer rescue;
    QObject::connect(&rescue, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            boxOpened = true;
            modal->close();
        }
    });
    rescue.start(200);
    const int errorsBefore = CriticalBoxesShown();
    Message question{"Termin löschen?", "", MessageIcon::Question, MessageButtons::YesNo};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(container.MessageBox(question), MessageResult::Yes);
    EXPECT_EQ(CriticalBoxesShown(), errorsBefore);
    Message error{"Agendor-Fehlercode 4\r\nTabelle fehlt", "Agendor3.ocx", MessageIcon::Critical, MessageButtons::Ok};
    EXPECT_EQ(container.MessageBox(error), MessageResult::Ok);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(boxOpened);
    EXPECT_EQ(CriticalBoxesShown(), errorsBefore + 1);
    EXPECT_NE(written.find("Agendor3: Termin löschen?"), std::string::npos) << written;
    EXPECT_NE(written.find("Agendor3.ocx: Agendor-Fehlercode 4\nTabelle fehlt"), std::string::npos) << written;
}

// A screen reader hears each day with its named day and its appointments,
// each marker the day it stands for and each button its tool tip.
TEST_F(AgendorWidgetTest, CellsMarkersAndButtonsHaveAccessibleNames) {
    QAccessibleInterface* sheet = QAccessible::queryAccessibleInterface(&Grid());
    ASSERT_TRUE(sheet && sheet->tableInterface());
    auto cellName = [&](int row, int col) {
        QAccessibleInterface* cell = sheet->tableInterface()->cellAt(row, col);
        return cell ? cell->text(QAccessible::Name) : QStringLiteral("(no cell)");
    };
    EXPECT_EQ(cellName(3, 2), QStringLiteral("Mittwoch, 14. November 2001, 2 Termine"));
    EXPECT_EQ(cellName(4, 1), QStringLiteral("Dienstag, 20. November 2001, 12 Termine"));
    EXPECT_EQ(cellName(3, 6), QStringLiteral("Sonntag, 18. November 2001, Volkstrauertag, keine Termine"));
    EXPECT_EQ(cellName(4, 5), QStringLiteral("Samstag, 24. November 2001, 1 Termin"));
    EXPECT_EQ(cellName(1, 0), QString());  // an empty cell before the 1st says nothing

    ASSERT_GE(surface->btnVorlage->LoadedCount(), 1);
    QAccessibleInterface* marker = QAccessible::queryAccessibleInterface(surface->btnVorlage->ShownOn(1));
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->text(QAccessible::Name), QStringLiteral("Weitere Termine am 20. November"));

    const char* tips[] = {"Wochenansicht", "Monatsansicht", "Zurück", "Vor", "Drucken"};
    for (int b = 1; b <= 5; ++b) {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(surface->Toolbar2->ButtonWidget(b));
        ASSERT_TRUE(button);
        EXPECT_EQ(button->text(QAccessible::Name), QString::fromUtf8(tips[b - 1]));
    }
}

// Run once more under a real X server (xvfb-run): the events come through
// the window system there.
class RealWindow : public AgendorWidgetTest {};

TEST_F(RealWindow, ClicksAndKeysReachTheControlThroughTheWindowSystem) {
    ASSERT_TRUE(widget->windowHandle());
    EXPECT_TRUE(widget->windowHandle()->isExposed());
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, CellCentre(2, 0));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_DOUBLE_EQ(clicks[0], dt::FromYmd(2001, 11, 5));
    QTest::keyClick(&Grid(), Qt::Key_Down);
    EXPECT_DOUBLE_EQ(widget->control().DateValue(), dt::FromYmd(2001, 11, 12));
    testing::DoubleClick(Grid().viewport(), CellCentre(3, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Zoom().isVisible(); }, 2000));
    const QImage shot = widget->grab().toImage();
    EXPECT_EQ(shot.pixelColor(Zoom().geometry().center()).isValid(), true);
    QTest::keyClick(&Grid(), Qt::Key_Escape);
    EXPECT_FALSE(Zoom().isVisible());
    EXPECT_FALSE(surface->Toolbar1->isVisible());
}

// Nobody needs a mouse: into the day grid and back with the keys alone, the
// focus always on a part that shows it.
TEST_F(RealWindow, TheKeyboardAloneOpensTheDayGridGoesRoundAndCloses) {
    auto focused = [] { return QApplication::focusWidget(); };
    Grid().setFocus();
    DeliverPosted();
    QTest::keyClick(&Grid(), Qt::Key_Right);  // Thursday 15 November
    QTest::keyClick(&Grid(), Qt::Key_Return);
    ASSERT_TRUE(Zoom().isVisible());
    EXPECT_EQ(surface->txtToolbarTag->Text(), "Do, 15.11.01");
    EXPECT_EQ(focused(), &Zoom());
    QTest::keyClick(focused(), Qt::Key_Escape);
    EXPECT_FALSE(Zoom().isVisible());
    EXPECT_EQ(focused(), &Grid());

    QTest::keyClick(&Grid(), Qt::Key_F2);
    ASSERT_TRUE(Zoom().isVisible());
    // Tab: the day grid's toolbar (its add button, the one enabled), then the
    // sheet, the sheet's five buttons, the day grid.
    std::vector<QWidget*> expected{surface->Toolbar1->ButtonWidget(2), &Grid()};
    for (int b = 1; b <= 5; ++b) expected.push_back(surface->Toolbar2->ButtonWidget(b));
    expected.push_back(&Zoom());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        EXPECT_EQ(focused(), expected[i]) << "Tab " << i + 1;
        if (i == 3) testing::SaveShot(widget->grab(), "keyboard-focus");
    }
    QTest::keyClick(focused(), Qt::Key_Backtab);
    EXPECT_EQ(focused(), surface->Toolbar2->ButtonWidget(5));
    // Space on a focused button runs it: back one month.
    QTest::keyClick(surface->Toolbar2->ButtonWidget(3), Qt::Key_Space);
    EXPECT_EQ(surface->lblMonat->Caption(), "Oktober 2001");
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages[0]);
}

// After every load the highlighted cell is the selected day, also when
// today (which keeps its blue) is on the sheet: Enter opens that day.
TEST_F(AgendorWidgetTest, EveryLoadHighlightsTheSelectedDay) {
    const std::pair<const char*, std::function<void()>> loads[] = {
        {"Refresh", [&] { widget->Refresh(); }},
        {"back and forward", [&] {
             QTest::mouseClick(surface->Toolbar2->ButtonWidget(3), Qt::LeftButton);
             QTest::mouseClick(surface->Toolbar2->ButtonWidget(4), Qt::LeftButton);
         }},
    };
    for (const auto& [name, load] : loads) {
        SCOPED_TRACE(name);
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, CellCentre(4, 1));  // Tuesday 20 November
        load();
        DeliverPosted();
        EXPECT_DOUBLE_EQ(widget->control().DateValue(), dt::FromYmd(2001, 11, 20));
        EXPECT_EQ(std::make_pair(Grid().Row(), Grid().Col()), std::make_pair(4, 1));
        EXPECT_EQ(Grid().CellForeColor(3, 2), 0xFF0000u);  // today, blue
        Grid().setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(surface->txtToolbarTag->Text(), "Di, 20.11.01");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    }
}

// On a real window the context menu draws its separators as lines, as low
// as a line, never as items reading "-".
TEST_F(RealWindow, TheContextMenuShowsSeparatorsAsLines) {
    QMenu& menu = surface->Kontextmenu->Menu();
    std::vector<std::string> shown;
    int itemHeight = 0, separatorHeight = 0;
    QTimer::singleShot(300, [&] {
        if (!menu.isVisible()) return;
        testing::SaveShot(menu.grab(), "context-menu");
        for (QAction* action : menu.actions()) {
            if (!action->isVisible()) continue;
            const int height = menu.actionGeometry(action).height();
            shown.push_back(action->isSeparator() ? "----" + action->text().toStdString() : action->text().toStdString());
            (action->isSeparator() ? separatorHeight : itemHeight) = height;
        }
        menu.close();
    });
    QTest::mouseClick(Grid().viewport(), Qt::RightButton, {}, CellCentre(2, 2));
    EXPECT_EQ(shown, (std::vector<std::string>{"Vor", "Zurück", "----", "Wochenansicht", "----", "Bearbeiten",
                                               "Drucken"}));
    EXPECT_GT(itemHeight, 2 * separatorHeight);
}

TEST_F(AgendorWidgetTest, SeveralControlsInOneWindowKeepTheirOwnState) {
    QWidget window;
    auto* second = new AgendorWidget(&window, &clock);
    second->resize(545, 479);
    second->control().SetDateValue(dt::FromYmd(2002, 2, 3));
    EXPECT_DOUBLE_EQ(widget->control().DateValue(), kToday - dt::TimeFraction(kToday));
    EXPECT_NE(&second->surface(), surface);
}

} // namespace
} // namespace agendor::qt
