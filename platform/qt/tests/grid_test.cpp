// The flex grid on Qt, driven as the control drives it and clicked and
// typed at as a person does.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "agendor/platform/memory/grid.h"
#include "agendor/platform/qt/qt_flex_grid.h"
#include "agendor/platform/qt/qt_font.h"
#include "agendor/platform/qt/tests/qt_test_support.h"

namespace agendor::qt {
namespace {

using testing::DeliverPosted;
using testing::EventLog;

// One table of grid scripts, run on the in-memory grid and on the Qt grid
// (clicks on the viewport and keys to the focus widget, as a person's): both
// store the same and raise the same events in the same order.
struct GridScript {
    const char* name;
    std::vector<std::string> steps;
    // EnterCell r,c (the cell the handler sees), Click, DblClick, MouseUp
    // button, KeyDown code, KeyPress code, Error message; "look" steps add
    // the grid's state.
    std::vector<std::string> events;
    // The current cell, the row count, then each cell, row height and
    // column width that differs from the fresh grid.
    std::string after;
};

void PrintTo(const GridScript& script, std::ostream* os) { *os << script.name; }

std::string Look(const GridCells& grid) {
    auto hex = [](Colour c) { return QStringLiteral("%1").arg(c, 6, 16, QChar('0')).toUpper().toStdString(); };
    std::string look = "cell=" + std::to_string(grid.Row()) + "," + std::to_string(grid.Col()) +
                       " rows=" + std::to_string(grid.Rows());
    for (int r = 0; r < grid.Rows(); ++r) {
        for (int c = 0; c < grid.Cols(); ++c) {
            const GridCell& cell = grid.Cell(r, c);
            std::string attributes = cell.text;
            if (cell.back) attributes += " back=" + hex(*cell.back);
            if (cell.fore) attributes += " fore=" + hex(*cell.fore);
            if (cell.bold) attributes += " bold";
            if (cell.alignment != CellAlignment::LeftTop) attributes += " align=" + std::to_string(static_cast<int>(cell.alignment));
            if (!attributes.empty()) look += " " + std::to_string(r) + "," + std::to_string(c) + "=" + attributes;
        }
        if (grid.RowHeight(r) != (r == 0 ? 400 : 1200)) look += " h" + std::to_string(r) + "=" + std::to_string(grid.RowHeight(r));
    }
    for (int c = 0; c < grid.Cols(); ++c)
        if (grid.ColWidth(c) != 1500) look += " w" + std::to_string(c) + "=" + std::to_string(grid.ColWidth(c));
    return look;
}

// The keys a step names, with their virtual key codes and Qt's keys.
const std::tuple<const char*, int, Qt::Key> kNamedKeys[] = {
    {"Enter", 13, Qt::Key_Return}, {"Esc", 27, Qt::Key_Escape}, {"Left", 37, Qt::Key_Left},
    {"Up", 38, Qt::Key_Up},        {"Right", 39, Qt::Key_Right}, {"Down", 40, Qt::Key_Down}};

// A person at one backend's grid of 7 by 7 cells, its header row 400
// twips high, the other rows 1200, every column 1500 wide.
class GridDesk {
public:
    virtual ~GridDesk() = default;
    virtual GridCells& Grid() = 0;
    virtual void Click(int row, int col, bool right, bool twice) = 0;
    // A key as a step names it: "Down", "Esc", "Enter" or a lower-case letter.
    virtual void Key(const std::string& key) = 0;

    void SetUp() {
        GridCells& grid = Grid();
        grid.SetRowHeight(0, 400);
        for (int c = 0; c < 7; ++c) grid.SetColWidth(c, 1500);
        for (int r = 1; r < 7; ++r) grid.SetRowHeight(r, 1200);
        grid.events.EnterCell = [this] {
            log.Add("EnterCell " + std::to_string(Grid().Row()) + "," + std::to_string(Grid().Col()));
            if (Grid().Row() == bounceFrom) Grid().SetRow(bounceTo);
        };
        grid.events.Click = [this] { log.Add("Click"); };
        grid.events.DblClick = [this] { log.Add("DblClick"); };
        grid.events.MouseUp = [this](int button, int, Twips, Twips) { log.Add("MouseUp " + std::to_string(button)); };
        grid.events.KeyDown = [this](int& key, int) {
            log.Add("KeyDown " + std::to_string(key));
            if (key == 'Q') key = 0;
        };
        grid.events.KeyPress = [this](int& key) { log.Add("KeyPress " + std::to_string(key)); };
    }

    void Run(const std::string& step) {
        std::istringstream in(step);
        std::string verb;
        in >> verb;
        int a = 0, b = 0;
        std::string text;
        GridCells& grid = Grid();
        try {
            if (verb == "row") in >> a, grid.SetRow(a);
            else if (verb == "col") in >> a, grid.SetCol(a);
            else if (verb == "rows") in >> a, grid.SetRows(a);
            else if (verb == "add") in >> text, grid.AddItem(text);
            else if (verb == "text") in >> text, grid.SetText(text);
            else if (verb == "matrix") in >> a >> b >> text, grid.SetTextMatrix(a, b, text);
            else if (verb == "back") in >> std::hex >> a, grid.SetCellBackColor(static_cast<Colour>(a));
            else if (verb == "fore") in >> std::hex >> a, grid.SetCellForeColor(static_cast<Colour>(a));
            else if (verb == "bold") grid.SetCellFontBold(true);
            else if (verb == "align") in >> a, grid.SetCellAlignment(static_cast<CellAlignment>(a));
            else if (verb == "width") in >> a >> b, grid.SetColWidth(a, b);
            else if (verb == "height") in >> a >> b, grid.SetRowHeight(a, b);
            else if (verb == "redraw") in >> a, grid.SetRedraw(a != 0);
            else if (verb == "clear") grid.Clear();
            else if (verb == "bounce") in >> bounceFrom >> bounceTo;
            else if (verb == "look") log.Add(Look(grid));
            else if (verb == "key") in >> text, Key(text);
            else {
                char comma = 0;
                in >> a >> comma >> b;
                Click(a, b, verb == "right", verb == "dblclick");
            }
        } catch (const Error& e) {
            log.Add("Error " + e.Description());
        }
    }

    testing::EventLog log;

private:
    int bounceFrom = -1, bounceTo = -1;
};

class MemoryGridDesk final : public GridDesk {
public:
    GridCells& Grid() override { return grid; }
    void Click(int row, int col, bool right, bool twice) override {
        if (right) grid.UserRightClick(grid.ColPos(col) + 750, grid.RowPos(row) + 100);
        else if (twice) grid.UserDblClickCell(row, col);
        else grid.UserClickCell(row, col);
    }
    void Key(const std::string& key) override {
        int code = std::toupper(static_cast<unsigned char>(key[0]));
        for (const auto& [name, virtualKey, qtKey] : kNamedKeys)
            if (key == name) code = virtualKey;
        // An arrow nobody took moves the current cell, as in a table.
        if (grid.UserKeyDown(code, 0) && code >= 37 && code <= 40)
            grid.UserArrow(code == 38 ? -1 : code == 40 ? 1 : 0, code == 37 ? -1 : code == 39 ? 1 : 0);
    }

private:
    memory::MemoryGrid grid{std::make_shared<memory::WidgetContext>(), "Grid", {0, 0, 10500, 7600}, true, 7, 7};
};

class QtGridDesk final : public GridDesk {
public:
    QtGridDesk() {
        window.resize(800, 600);
        grid = new QtFlexGrid(7, 7, &window);
        tester = std::make_unique<QAbstractItemModelTester>(grid->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        grid->Place(0, 0, 10500, 7600);
        testing::ShowActive(window);
        grid->setFocus();
        DeliverPosted();
    }
    GridCells& Grid() override { return *grid; }
    void Click(int row, int col, bool right, bool twice) override {
        const QPoint at = grid->CellRect(row, col).center();
        if (twice) testing::DoubleClick(grid->viewport(), at);
        else QTest::mouseClick(grid->viewport(), right ? Qt::RightButton : Qt::LeftButton, {}, at);
        DeliverPosted();
    }
    void Key(const std::string& key) override {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_EQ(focus, grid);
        for (const auto& [name, virtualKey, qtKey] : kNamedKeys)
            if (key == name) {
                QTest::keyClick(focus, qtKey);
                return;
            }
        QTest::keyClick(focus, key[0]);
    }

    QWidget window;
    QtFlexGrid* grid = nullptr;
    // Every change of the table's shape keeps Qt's model protocol.
    std::unique_ptr<QAbstractItemModelTester> tester;
};

class GridScripts : public ::testing::TestWithParam<GridScript> {};

TEST_P(GridScripts, StoreAndRaiseAlikeOnBothBackends) {
    const GridScript& script = GetParam();
    MemoryGridDesk memory;
    QtGridDesk qt;
    for (GridDesk* desk : std::initializer_list<GridDesk*>{&memory, &qt}) {
        SCOPED_TRACE(desk == &memory ? "memory" : "qt");
        desk->SetUp();
        desk->log.Clear();
        for (const std::string& step : script.steps) desk->Run(step);
        EXPECT_EQ(desk->log.entries, script.events);
        EXPECT_EQ(Look(desk->Grid()), script.after);
    }
}

const GridScript kGridScripts[] = {
    {"CodeMovesRaiseEnterCellOnlyWhenTheCellMoves",
     {"row 3", "row 3", "col 0", "col 2", "row 0"},
     {"EnterCell 3,0", "EnterCell 3,2", "EnterCell 0,2"},
     "cell=0,2 rows=7"},
    {"AHandlerThatMovesTheCellAgainReentersTheGrid",
     {"bounce 2 4", "row 2"},
     {"EnterCell 2,0", "EnterCell 4,0"},
     "cell=4,0 rows=7"},
    {"WhileRedrawIsOffEverythingIsStoredAndRaised",
     {"redraw 0", "row 2", "col 3", "text a", "height 2 900", "width 6 0", "redraw 1"},
     {"EnterCell 2,0", "EnterCell 2,3"},
     "cell=2,3 rows=7 2,3=a h2=900 w6=0"},
    {"ShrinkingBelowTheCurrentRowMovesItToTheLastRow",
     {"row 5", "rows 3", "rows 1", "add 09:00", "rows 3"},
     {"EnterCell 5,0", "EnterCell 2,0", "EnterCell 0,0"},
     "cell=0,0 rows=3 1,0=09:00 h1=240 h2=240"},
    // The view's current cell lags while Redraw is off; rows going away
    // under it do not move the grid's.
    {"ShrinkingWhileRedrawIsOffMovesNothingElse",
     {"row 6", "redraw 0", "row 1", "rows 3", "redraw 1"},
     {"EnterCell 6,0", "EnterCell 1,0"},
     "cell=1,0 rows=3"},
    {"FormatsAreStoredPerCellAndClearEmptiesEveryCell",
     {"row 0", "text Mo", "bold", "align 4", "row 2", "back 030201", "fore FF", "matrix 3 1 x", "look", "clear"},
     {"EnterCell 0,0", "EnterCell 2,0",
      "cell=2,0 rows=7 0,0=Mo bold align=4 2,0= back=030201 fore=0000FF 3,1=x"},
     "cell=2,0 rows=7"},
    {"MouseButtonsRaiseTheirEventsInTheDesktopsOrder",
     {"click 3,4", "click 3,4", "right 4,4", "dblclick 2,1"},
     {"EnterCell 3,4", "MouseUp 1", "Click", "MouseUp 1", "Click", "MouseUp 2", "Click", "EnterCell 2,1", "MouseUp 1",
      "Click", "DblClick", "MouseUp 1"},
     "cell=2,1 rows=7"},
    {"TheFixedRowNeverBecomesCurrentByMouseOrKeyboard",
     {"click 0,3", "key Up", "key Left"},
     {"MouseUp 1", "Click", "KeyDown 38", "KeyDown 37"},
     "cell=1,0 rows=7"},
    {"ArrowKeysMoveWithinTheDataRowsSkipHiddenColumnsAndStopAtTheEdges",
     {"width 1 0", "key Right", "key Down", "col 6", "key Right", "row 6", "key Down"},
     {"KeyDown 39", "EnterCell 1,2", "KeyDown 40", "EnterCell 2,2", "EnterCell 2,6", "KeyDown 39", "EnterCell 6,6",
      "KeyDown 40"},
     "cell=6,6 rows=7 w1=0"},
    // Typing letters does not jump to a cell whose text starts with them.
    {"KeyDownComesFirstAndMayTakeTheKeyBeforeKeyPress",
     {"matrix 0 3 Mo", "key Esc", "key Enter", "key m", "key q"},
     {"KeyDown 27", "KeyPress 27", "KeyDown 13", "KeyPress 13", "KeyDown 77", "KeyPress 109", "KeyDown 81"},
     "cell=1,0 rows=7 0,3=Mo"},
    {"OutOfRangeCellsAndNegativeSizesRaiseTheGridsMessages",
     {"row 7", "col -1", "matrix 0 7 x", "rows 0", "width 2 -1", "height 1 -1"},
     {"Error Ungültiger Zeilenwert", "Error Ungültiger Spaltenwert", "Error Ungültiger Spaltenwert",
      "Error Ungültiger Eigenschaftswert", "Error Ungültiger Eigenschaftswert", "Error Ungültiger Eigenschaftswert"},
     "cell=1,0 rows=7"},
};

INSTANTIATE_TEST_SUITE_P(Grid, GridScripts, ::testing::ValuesIn(kGridScripts),
                         [](const auto& info) { return std::string(info.param.name); });

// The Qt grid alone, for what only Qt has: the view, pixels and the focus.
class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        // 96 dpi: 15 twips per pixel, so a 1500-twip column is 100 pixels.
        ASSERT_EQ(desk.window.logicalDpiX(), 96);
        desk.SetUp();
        log.Clear();
    }

    QtGridDesk desk;
    QtFlexGrid* grid = desk.grid;
    EventLog& log = desk.log;
};

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
    EXPECT_EQ(std::make_pair(grid->Row(), grid->Col()), std::make_pair(4, 6));
}

// The paging keys are the table's; they too keep off the fixed row.
TEST_F(GridTest, PagingKeysNeverMakeTheFixedRowCurrent) {
    grid->SetRow(3);
    log.Clear();
    QTest::keyClick(grid, Qt::Key_PageUp);
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"KeyDown 33", "EnterCell 1,0", "KeyDown 17", "KeyDown 36"}));
}

TEST_F(GridTest, LostFocusIsPostedAfterTheMoveThatCausedIt) {
    auto* other = new QWidget(&desk.window);
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
    EXPECT_THROW(grid->SetWidth(-15), Error);
    EXPECT_EQ(grid->ColWidth(2), 300);
}

TEST_F(GridTest, SetFocusOnAHiddenGridRaises) {
    grid->hide();
    EXPECT_THAT([&] { grid->SetFocus(); },
                ::testing::ThrowsMessage<Error>(::testing::StrEq("Ungültiger Prozeduraufruf oder ungültiges Argument")));
    grid->show();
    EXPECT_NO_THROW(grid->SetFocus());
    EXPECT_TRUE(grid->hasFocus());
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
    EXPECT_EQ(testing::CountLike(image, QRect(header.left(), header.top(), 30, header.height()), Qt::black), 0);
    EXPECT_GT(testing::CountLike(image, header, Qt::black), 0);
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
