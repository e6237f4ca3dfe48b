// The flex grid on Qt, driven as the control drives it and clicked and
// typed at as a person does.
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "agendor/platform/qt/qt_flex_grid.h"
#include "agendor/platform/qt/qt_font.h"
#include "agendor/platform/qt/tests/qt_test_support.h"

namespace agendor::qt {
namespace {

using testing::DeliverPosted;
using testing::EventLog;

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(800, 600);
        grid = new QtFlexGrid(7, 7, &window);
        // Every change of the table's shape keeps Qt's model protocol.
        tester = std::make_unique<QAbstractItemModelTester>(grid->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        // 96 dpi: 15 twips per pixel, so a 1500-twip column is 100 pixels.
        ASSERT_EQ(window.logicalDpiX(), 96);
        grid->Place(0, 0, 7 * 1500, 400 + 6 * 1200);
        grid->SetRowHeight(0, 400);
        for (int c = 0; c < 7; ++c) grid->SetColWidth(c, 1500);
        for (int r = 1; r < 7; ++r) grid->SetRowHeight(r, 1200);
        grid->events.EnterCell = [this] { log.Add("EnterCell " + std::to_string(grid->Row()) + "," + std::to_string(grid->Col())); };
        grid->events.Click = [this] { log.Add("Click"); };
        grid->events.DblClick = [this] { log.Add("DblClick"); };
        grid->events.MouseUp = [this](int button, int, Twips, Twips) { log.Add("MouseUp " + std::to_string(button)); };
        grid->events.KeyPress = [this](int& key) {
            log.Add("KeyPress " + std::to_string(key));
            if (key == 'x') key = 0;
        };
        testing::ShowActive(window);
        grid->setFocus();
        DeliverPosted();
        log.Clear();
    }

    QPoint CentreOf(int row, int col) const { return grid->CellRect(row, col).center(); }

    QWidget window;
    QtFlexGrid* grid = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;
    EventLog log;
};

TEST_F(GridTest, CodeMovesRaiseEnterCellInsideTheCallOnlyWhenTheCellMoves) {
    int seenRow = -1;
    grid->events.EnterCell = [&] { seenRow = grid->Row(); log.Add("EnterCell"); };
    grid->SetRow(3);
    EXPECT_EQ(seenRow, 3);  // the handler already sees the new row
    grid->SetRow(3);
    grid->SetCol(0);  // column 0 is current already
    grid->SetCol(2);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"EnterCell", "EnterCell"}));
    // Code may make the fixed row current.
    grid->SetRow(0);
    EXPECT_EQ(grid->Row(), 0);
}

// A sheet build moves the current cell and sets texts and heights thousands
// of times with Redraw off: the view must not be laid out or moved per call,
// only once when Redraw comes back on. EnterCell is still raised and
// painting is suppressed meanwhile.
TEST_F(GridTest, WhileRedrawIsOffTheViewCatchesUpOnceWhenItComesBackOn) {
    int resized = 0, moved = 0;
    QObject::connect(grid->verticalHeader(), &QHeaderView::sectionResized, [&] { ++resized; });
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, [&] { ++moved; });
    grid->SetRedraw(false);
    EXPECT_FALSE(grid->updatesEnabled());
    for (int pass = 0; pass < 3; ++pass) {
        for (int r = 1; r < 7; ++r) {
            grid->SetRowHeight(r, 900 + 100 * pass);
            for (int c = 0; c < 7; ++c) {
                grid->SetRow(r);
                grid->SetCol(c);
                grid->SetText(std::to_string(pass));
            }
        }
    }
    EXPECT_EQ(resized, 0);
    EXPECT_EQ(moved, 0);
    ASSERT_FALSE(log.entries.empty());
    EXPECT_EQ(log.entries.front(), "EnterCell 1,1");  // (1, 0) was current
    EXPECT_EQ(log.entries.back(), "EnterCell 6,6");
    grid->SetRedraw(true);
    EXPECT_TRUE(grid->updatesEnabled());
    EXPECT_EQ(resized, 6);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(grid->currentIndex(), grid->model()->index(6, 6));
    // Edges at 400 + 1100 and 400 + 2 * 1100 twips.
    EXPECT_EQ(grid->CellRect(2, 0).top(), 100);
    EXPECT_EQ(grid->CellRect(2, 0).height(), 73);

    // A host that leaves Redraw off still has the keys move from the current cell.
    grid->SetRedraw(false);
    grid->SetRow(3);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(grid->Col(), 6);
}

TEST_F(GridTest, AHandlerThatMovesTheCellAgainReentersTheGrid) {
    grid->events.EnterCell = [&] {
        log.Add("EnterCell " + std::to_string(grid->Row()));
        if (grid->Row() == 2) grid->SetRow(4);
    };
    grid->SetRow(2);
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"EnterCell 2", "EnterCell 4"}));
}

// A click on another cell raises EnterCell, then MouseUp, then Click; a
// right click keeps the current cell; a double click raises DblClick after
// the click of its first press.
TEST_F(GridTest, MouseButtonsRaiseTheirEventsInTheDesktopsOrder) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CentreOf(3, 4));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"EnterCell 3,4", "MouseUp 1", "Click"}));
    log.Clear();
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, CentreOf(4, 4));
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"MouseUp 2", "Click"}));
    log.Clear();
    testing::DoubleClick(grid->viewport(), CentreOf(2, 1));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"EnterCell 2,1", "MouseUp 1", "Click", "DblClick", "MouseUp 1"}));
}

TEST_F(GridTest, TheFixedRowNeverBecomesCurrentByMouseOrKeyboard) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CentreOf(0, 3));
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), 0);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"MouseUp 1", "Click"}));
    log.Clear();
    QTest::keyClick(grid, Qt::Key_Up);
    QTest::keyClick(grid, Qt::Key_PageUp);
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(GridTest, ArrowKeysMoveWithinTheDataRowsAndSkipHiddenColumns) {
    grid->SetColWidth(1, 0);
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 2);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"EnterCell 1,2", "EnterCell 2,2", "EnterCell 3,2"}));
    for (int i = 0; i < 10; ++i) QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 6);
}

TEST_F(GridTest, KeyPressCarriesTheCharacterCodeAndMaySwallowIt) {
    QTest::keyClick(grid, Qt::Key_Escape);
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClick(grid, 'x');
    // Typing letters does not jump to a cell whose text starts with them.
    grid->SetTextMatrix(0, 3, "Mo");
    QTest::keyClick(grid, 'm');
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"KeyPress 27", "KeyPress 13", "KeyPress 120", "KeyPress 109"}));
    // Arrow keys carry no character.
    log.Clear();
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"EnterCell 1,1"}));
}

TEST_F(GridTest, LostFocusIsPostedAfterTheMoveThatCausedIt) {
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    grid->events.LostFocus = [&] { log.Add("LostFocus"); };
    other->setFocus();
    log.Add("after setFocus");
    DeliverPosted();
    EXPECT_EQ(log.entries, (std::vector<std::string>{"after setFocus", "LostFocus"}));
}

TEST_F(GridTest, SizesAreTwipsConvertedWithTheScreensDpi) {
    EXPECT_EQ(grid->CellRect(1, 0).width(), 100);
    EXPECT_EQ(grid->CellRect(1, 0).height(), 80);
    EXPECT_EQ(grid->CellRect(0, 0).height(), 27);  // 400 twips = 26.7 pixels
    EXPECT_EQ(grid->ColPos(3), 4500);
    // Where the view draws the row: 400 + 1200 twips are 106.7 pixels, drawn at 107.
    EXPECT_EQ(grid->RowPos(2), 107 * 15);
    grid->SetRowHeightMin(1500);
    EXPECT_EQ(grid->RowHeight(1), 1200);  // as set
    EXPECT_EQ(grid->RowPos(2), 1500 + 1500);  // drawn no lower than the minimum
    EXPECT_EQ(grid->CellRect(1, 0).height(), 100);
    EXPECT_EQ(grid->Width(), 10500);
    EXPECT_EQ(grid->width(), 700);
}

TEST_F(GridTest, ZeroWidthHidesAColumnAndNegativeSizesAreRefused) {
    grid->SetColWidth(2, 0);
    EXPECT_TRUE(grid->isColumnHidden(2));
    EXPECT_EQ(grid->ColPos(3), 3000);
    grid->SetColWidth(2, 300);
    EXPECT_FALSE(grid->isColumnHidden(2));
    EXPECT_THROW(grid->SetColWidth(2, -1), Error);
    EXPECT_THROW(grid->SetRowHeight(1, -1), Error);
    EXPECT_THROW(grid->SetWidth(-15), Error);
    EXPECT_EQ(grid->ColWidth(2), 300);
}

TEST_F(GridTest, OutOfRangeCellsRaiseTheGridsMessages) {
    try {
        grid->SetRow(7);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.Description(), "Ungültiger Zeilenwert");
    }
    try {
        grid->TextMatrix(0, 7);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.Description(), "Ungültiger Spaltenwert");
    }
    EXPECT_THROW(grid->SetRows(0), Error);
}

TEST_F(GridTest, ShrinkingBelowTheCurrentRowMovesItToTheLastRow) {
    grid->SetRow(5);
    log.Clear();
    grid->SetRows(3);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"EnterCell 2,0"}));
    grid->SetRows(1);
    EXPECT_EQ(grid->Row(), 0);
    grid->AddItem("09:00");
    EXPECT_EQ(grid->Rows(), 2);
    EXPECT_EQ(grid->TextMatrix(1, 0), "09:00");
    EXPECT_EQ(grid->RowHeight(1), QtFlexGrid::kDefaultRowHeight);
}

TEST_F(GridTest, ClearEmptiesEveryCellAndItsFormatting) {
    grid->SetRow(0);
    grid->SetText("Mo");
    grid->SetCellFontBold(true);
    grid->SetRow(2);
    grid->SetCellBackColor(RGB(1, 2, 3));
    grid->Clear();
    EXPECT_EQ(grid->TextMatrix(0, 0), "");
    EXPECT_FALSE(grid->CellBold(0, 0));
    EXPECT_EQ(grid->CellBackColor(2, 0), 0xFFFFFFu);
    EXPECT_EQ(grid->CellBackColor(0, 0), 0xC0C0C0u);
}

TEST_F(GridTest, SetFocusOnAHiddenGridRaises) {
    grid->hide();
    try {
        grid->SetFocus();
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.Description(), "Ungültiger Prozeduraufruf oder ungültiges Argument");
    }
    grid->show();
    EXPECT_NO_THROW(grid->SetFocus());
    EXPECT_TRUE(grid->hasFocus());
}

// Counts the pixels of a colour in a rectangle of an image.
int CountColour(const QImage& image, const QRect& rect, const QColor& colour) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y) == colour) ++n;
    return n;
}

// Rows of a rectangle that hold a pixel of the colour.
std::vector<int> InkRows(const QImage& image, const QRect& rect, const QColor& colour) {
    std::vector<int> rows;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (testing::LooksLike(image.pixelColor(x, y), colour)) {
                rows.push_back(y);
                break;
            }
    return rows;
}

TEST_F(GridTest, PaintsCellColoursTheCurrentCellAndLinesBrokenAtCr) {
    grid->SetFont(std::make_shared<QtFont>("Arial", 8.25));
    grid->SetRow(2);
    grid->SetCol(3);
    grid->SetCellBackColor(RGB(220, 220, 220));
    grid->SetCellForeColor(RGB(255, 0, 0));
    grid->SetText("14\r09:05 Meier");
    grid->SetRow(4);
    grid->SetCol(5);  // current: shown in BackColorSel
    grid->SetBackColorSel(RGB(255, 255, 192));
    grid->SetRow(0);
    grid->SetCol(0);
    grid->SetCellAlignment(CellAlignment::CenterCenter);
    grid->SetText("Mo");
    grid->SetRow(4);
    grid->SetCol(5);
    const QImage image = grid->viewport()->grab().toImage();

    const QRect cell = grid->CellRect(2, 3);
    EXPECT_EQ(image.pixelColor(cell.right() - 3, cell.bottom() - 3), QColor(220, 220, 220));
    // Two lines of red text, one above the other.
    const std::vector<int> inkRows = InkRows(image, cell, QColor(255, 0, 0));
    ASSERT_FALSE(inkRows.empty());
    const int lineHeight = QFontMetrics(grid->font()).height();
    EXPECT_GE(inkRows.back() - inkRows.front(), lineHeight);
    EXPECT_LT(inkRows.back() - cell.top(), 2 * lineHeight + 2);

    const QRect current = grid->CellRect(4, 5);
    EXPECT_EQ(image.pixelColor(current.center()), QColor(255, 255, 192));
    EXPECT_EQ(image.pixelColor(grid->CellRect(1, 1).center()), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(grid->CellRect(0, 1).center()), QColor(0xC0, 0xC0, 0xC0));
    // A centred header text keeps away from the cell's left edge.
    const QRect header = grid->CellRect(0, 0);
    EXPECT_EQ(CountColour(image, QRect(header.left(), header.top(), 30, header.height()), Qt::black), 0);
    EXPECT_GT(CountColour(image, header, Qt::black), 0);
}

TEST(GridFixedRow, StaysAtTheTopWhileTheRowsScrollAndTakesNoClick) {
    QWidget window;
    window.resize(300, 200);
    auto* grid = new QtFlexGrid(1, 2, &window);
    grid->Place(0, 0, 3000, 6 * 315);  // the header and five rows fit
    grid->SetRowHeightMin(315);
    grid->SetBackColorFixed(RGB(0, 0, 255));
    grid->SetTextMatrix(0, 0, "Zeit");
    for (int r = 1; r <= 20; ++r) grid->AddItem(std::to_string(r));
    testing::ShowActive(window);
    int clicks = 0;
    grid->events.Click = [&] { ++clicks; };
    grid->SetRow(20);  // scrolls the last row into view
    DeliverPosted();
    ASSERT_GT(grid->verticalScrollBar()->value(), 0);
    const QImage shot = grid->grab().toImage();
    // The top strip shows row 0's colour, not a data row's white.
    EXPECT_GT(testing::CountLike(shot, QRect(2, 2, 100, 15), QColor(0, 0, 255)), 1000);
    EXPECT_LE(grid->CellRect(20, 0).bottom(), grid->viewport()->height());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    EXPECT_EQ(grid->Row(), 20);
    EXPECT_EQ(clicks, 0);
    // Moving up to a row hidden under it scrolls that row below it.
    grid->SetRow(grid->verticalScrollBar()->value());
    EXPECT_LT(grid->verticalScrollBar()->value(), grid->Row());
    grid->grab().save(QStringLiteral(AGENDOR_QT_TEST_OUTPUT "/fixed-row.png"));
}

} // namespace
} // namespace agendor::qt
