// The in-memory backend must behave like the desktop widgets wherever the
// control can tell the difference: events re-enter the caller, focus
// notifications arrive after the handler that caused them, and refused
// operations raise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agendor/platform/memory/database.h"
#include "agendor/platform/memory/host.h"
#include "agendor/platform/memory/surface.h"

namespace agendor::memory {
namespace {

TEST(MemoryGrid, EnterCellIsRaisedInsideTheCallAndOnlyForRealMoves) {
    MemorySurface ui;
    MemoryGrid& grid = ui.Grid;
    std::vector<std::pair<int, int>> entered;
    grid.events.EnterCell = [&] { entered.emplace_back(grid.Row(), grid.Col()); };

    grid.SetCol(0);  // already there
    grid.SetRow(1);
    EXPECT_TRUE(entered.empty());

    grid.SetRow(3);
    ASSERT_EQ(entered.size(), 1u);  // seen before SetRow returned
    EXPECT_EQ(entered[0], std::make_pair(3, 0));

    // The fixed row can be made current by code.
    grid.SetRow(0);
    EXPECT_EQ(entered.back(), std::make_pair(0, 0));

    // Cutting off the current row moves the cell to the new last row.
    grid.SetRow(6);
    entered.clear();
    grid.SetRows(2);
    EXPECT_EQ(entered, (std::vector<std::pair<int, int>>{{1, 0}}));
    grid.SetRows(7);  // growing leaves the current cell alone
    EXPECT_EQ(entered.size(), 1u);

    EXPECT_THROW(grid.SetRow(7), Error);
    EXPECT_THROW(grid.SetCol(-1), Error);
    EXPECT_EQ(grid.Row(), 1);
}

TEST(MemoryGrid, HandlerMovingTheCellAgainReentersWithTheRedrawGuard) {
    MemorySurface ui;
    MemoryGrid& grid = ui.Grid;
    int userMoves = 0;
    grid.events.EnterCell = [&] {
        if (!grid.Redraw()) return;
        ++userMoves;
        // A handler that moves the cell itself re-enters, guarded by Redraw.
        grid.SetRedraw(false);
        grid.SetCol(6);
        grid.SetRedraw(true);
    };
    grid.SetRow(2);
    EXPECT_EQ(userMoves, 1);
    EXPECT_EQ(grid.Col(), 6);
    EXPECT_EQ(grid.EnterCellCount(), 2);
    EXPECT_EQ(grid.RedrawToggles(), 2);
}

TEST(MemoryGrid, UserClicksFollowTheDesktopOrderAndNeverMakeTheHeaderCurrent) {
    MemorySurface ui;
    MemoryGrid& grid = ui.Grid;
    std::vector<std::string> seen;
    grid.events.EnterCell = [&] { seen.push_back("EnterCell " + std::to_string(grid.Row())); };
    grid.events.MouseUp = [&](int button, int, Twips, Twips) { seen.push_back("MouseUp " + std::to_string(button)); };
    grid.events.Click = [&] { seen.push_back("Click"); };
    grid.events.DblClick = [&] { seen.push_back("DblClick"); };

    EXPECT_TRUE(grid.UserDblClickCell(4, 2));
    EXPECT_EQ(seen, (std::vector<std::string>{"EnterCell 4", "MouseUp 1", "Click", "DblClick", "MouseUp 1"}));
    EXPECT_EQ(ui.Focused(), &grid);

    seen.clear();
    grid.UserClickCell(4, 2);  // the current cell: no EnterCell
    grid.UserClickCell(0, 5);  // a header cell
    EXPECT_EQ(seen, (std::vector<std::string>{"MouseUp 1", "Click", "MouseUp 1", "Click"}));
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.Col(), 2);

    grid.UserArrow(-10, 0);
    EXPECT_EQ(grid.Row(), 1);

    // Arrow keys step over hidden columns and stop at the edge.
    MemoryGrid& day = ui.GridZoom;
    day.SetVisible(true);
    day.SetColWidth(2, 0);
    day.SetColWidth(3, 0);
    day.SetCol(1);
    day.UserArrow(0, 1);
    EXPECT_EQ(day.Col(), 1);

    ui.GridZoom.SetVisible(false);
    EXPECT_THROW(day.UserClickCell(1, 0), std::logic_error);
}

TEST(MemoryGrid, PositionsSumTheSizesWithTheMinimumRowHeight) {
    MemorySurface ui;
    MemoryGrid& grid = ui.Grid;
    EXPECT_EQ(grid.RowPos(0), 0);
    EXPECT_EQ(grid.RowPos(3), 3 * MemoryGrid::kDefaultRowHeight);

    grid.SetRowHeight(0, 400);
    grid.SetRowHeight(1, 100);
    grid.SetRowHeight(2, 1000);
    grid.SetRowHeightMin(315);
    EXPECT_EQ(grid.RowHeight(1), 100);  // as set
    EXPECT_EQ(grid.RowPos(2), 400 + 315);
    EXPECT_EQ(grid.RowPos(3), 400 + 315 + 1000);

    grid.SetColWidth(0, 500);
    grid.SetColWidth(1, 0);
    grid.SetColWidth(2, 1960);
    EXPECT_EQ(grid.ColPos(3), 2460);
    grid.SetCol(2);
    grid.SetRow(3);
    EXPECT_EQ(grid.CellLeft(), 500);
    EXPECT_EQ(grid.CellTop(), 1715);

    EXPECT_THROW(grid.SetColWidth(0, -1), Error);
    EXPECT_EQ(grid.ColWidth(0), 500);
}

TEST(MemoryGrid, RowsKeepTheirCellsAndClearResetsEveryCell) {
    MemorySurface ui;
    MemoryGrid& grid = ui.GridZoom;
    grid.SetRows(1);
    grid.AddItem("09:30");
    grid.AddItem("10:15");
    grid.SetTextMatrix(2, 1, "Meier");
    grid.SetRow(2);
    grid.SetCol(1);
    grid.SetCellBackColor(RGB(255, 0, 0));
    grid.SetCellFontBold(true);
    grid.SetRows(3);
    EXPECT_EQ(grid.TextMatrix(1, 0), "09:30");
    EXPECT_EQ(grid.Text(), "Meier");

    grid.SetRows(2);
    grid.SetRows(3);
    EXPECT_EQ(grid.TextMatrix(2, 1), "");  // a dropped row comes back empty

    grid.SetTextMatrix(0, 0, "Zeit");
    grid.SetTextMatrix(1, 1, "Schulz");
    grid.SetRow(1);
    grid.SetCellForeColor(RGB(0, 0, 255));
    grid.Clear();
    EXPECT_EQ(grid.TextMatrix(0, 0), "");
    EXPECT_EQ(grid.TextMatrix(1, 1), "");
    EXPECT_EQ(grid.CellForeColor(1, 1), 0u);
    EXPECT_EQ(grid.Rows(), 3);
}

TEST(MemoryWidget, SetFocusRaisesForAHiddenWidgetOrAHiddenContainer) {
    MemorySurface ui;
    try {
        ui.Toolbar1.SetFocus();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Description(), "Ungültiger Prozeduraufruf oder ungültiges Argument");
    }
    ui.Frame1.SetVisible(false);
    EXPECT_THROW(ui.Toolbar2.SetFocus(), Error);
    ui.Frame1.SetVisible(true);
    ui.Toolbar2.SetEnabled(false);
    EXPECT_THROW(ui.Toolbar2.SetFocus(), Error);

    ui.Toolbar1.SetVisible(true);
    ui.Toolbar1.SetFocus();
    EXPECT_EQ(ui.Focused(), nullptr);  // posted, not yet delivered
    ui.ProcessEvents();
    EXPECT_EQ(ui.Focused(), &ui.Toolbar1);
}

TEST(MemoryWidget, FocusNotificationsArriveAfterTheHandlerThatCausedThem) {
    MemorySurface ui;
    std::vector<std::string> seen;
    ui.txtClock.SetVisible(true);
    ui.cboPerson.SetVisible(true);
    ui.txtClock.events.GotFocus = [&] { seen.push_back("clock GotFocus"); };
    ui.txtClock.events.LostFocus = [&] { seen.push_back("clock LostFocus"); };
    ui.txtClock.events.Validate = [&](bool&) { seen.push_back("clock Validate"); };
    ui.cboPerson.events.GotFocus = [&] { seen.push_back("person GotFocus"); };
    ui.txtClock.events.KeyDown = [&](int key, int) {
        if (key != 13) return;
        ui.cboPerson.SetFocus();
        ui.txtClock.SetVisible(false);
        seen.push_back("Enter handled");
    };

    ASSERT_TRUE(ui.txtClock.UserFocus());
    ui.txtClock.UserKey(13);
    EXPECT_EQ(seen, (std::vector<std::string>{"clock GotFocus", "Enter handled", "clock Validate", "clock LostFocus",
                                              "person GotFocus"}));
    EXPECT_EQ(ui.Focused(), &ui.cboPerson);
}

TEST(MemoryWidget, ValidateCancelKeepsTheFocusAndSwallowsTheClick) {
    MemorySurface ui;
    ui.txtClock.SetVisible(true);
    ui.txtClock.events.Validate = [](bool& cancel) { cancel = true; };
    int lost = 0, clicks = 0;
    ui.txtClock.events.LostFocus = [&] { ++lost; };
    ui.Grid.events.Click = [&] { ++clicks; };
    ui.txtClock.UserFocus();

    EXPECT_FALSE(ui.Grid.UserClickCell(2, 2));
    EXPECT_EQ(ui.Focused(), &ui.txtClock);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(ui.Grid.Row(), 1);

    // Hiding the focused box takes the focus away without Validate.
    ui.txtClock.SetVisible(false);
    ui.ProcessEvents();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(ui.Focused(), nullptr);
}

TEST(MemoryWidget, ZOrderBringsAWidgetInFrontOfAllOthers) {
    MemorySurface ui;
    ui.GridZoom.ZOrder();
    ui.txtClock.ZOrder();
    EXPECT_GT(ui.txtClock.z(), ui.GridZoom.z());
    EXPECT_GT(ui.GridZoom.z(), ui.Grid.z());
    ui.btnVorlage.Load(1);
    EXPECT_GT(ui.btnVorlage.Memory(1).z(), ui.txtClock.z());  // a new marker lies on top
}

TEST(MemoryToolbar, PressingAGroupedButtonReleasesTheOtherOne) {
    MemorySurface ui;
    MemoryToolbar& bar = ui.Toolbar2;
    bar.SetButtonPressed(1, true);
    bar.SetButtonPressed(3, true);  // plain buttons stay out of the group
    bar.SetButtonPressed(2, true);
    EXPECT_FALSE(bar.Button(1).pressed);
    EXPECT_TRUE(bar.Button(2).pressed);
    EXPECT_TRUE(bar.Button(3).pressed);

    std::vector<int> clicked;
    bar.ButtonClick = [&](int index) { clicked.push_back(index); };
    EXPECT_TRUE(bar.UserClickButton(1));
    EXPECT_TRUE(bar.Button(1).pressed);
    EXPECT_FALSE(bar.Button(2).pressed);

    bar.SetButtonVisible(4, false);
    bar.SetButtonEnabled(5, false);
    EXPECT_FALSE(bar.UserClickButton(4));
    EXPECT_FALSE(bar.UserClickButton(5));
    ui.Frame1.SetVisible(false);
    EXPECT_FALSE(bar.UserClickButton(3));
    EXPECT_EQ(clicked, std::vector<int>{1});
    EXPECT_THROW(bar.Button(6), Error);
}

TEST(MemoryMarkerArray, LoadAndUnloadRefuseMisuse) {
    MemorySurface ui;
    MemoryMarkerArray& markers = ui.btnVorlage;
    EXPECT_EQ(markers.Count(), 1);
    EXPECT_THROW(markers.Load(0), Error);
    markers.Load(3);
    EXPECT_EQ(markers.Count(), 4);
    EXPECT_EQ(markers.Element(3).Width(), 210);
    EXPECT_EQ(markers.Element(3).Height(), 195);
    EXPECT_FALSE(markers.Element(3).Visible());
    try {
        markers.Load(3);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Description(), "Objekt bereits geladen");
    }
    EXPECT_THROW(markers.Unload(0), Error);
    EXPECT_THROW(markers.Unload(2), Error);
    EXPECT_THROW(markers.Tag(2), Error);
    markers.Unload(3);
    EXPECT_EQ(markers.Count(), 1);
}

TEST(MemoryMaskedEdit, TypingFillsTheDigitPlacesOfTheMask) {
    MemorySurface ui;
    MemoryMaskedEdit& clock = ui.txtClock;
    EXPECT_EQ(clock.Text(), "__:__");
    clock.SetVisible(true);
    clock.UserType("9x3");
    EXPECT_EQ(clock.Text(), "93:__");
    clock.SetText("__:__");
    clock.UserType("10:15");
    EXPECT_EQ(clock.Text(), "10:15");
    clock.SetText("");
    EXPECT_EQ(clock.Text(), "__:__");
    EXPECT_THROW(clock.SetText("9:30"), Error);
    EXPECT_THROW(clock.SetText("ab:cd"), Error);
    EXPECT_EQ(clock.Text(), "__:__");
}

TEST(MemoryPropertyStore, AValueEqualToItsDefaultIsNotStored) {
    MemoryPropertyStore store;
    store.Write("Header", std::string("Kontakt"), std::string("Kontakt"));
    EXPECT_FALSE(store.Contains("Header"));

    store.Write("View", std::int32_t{1}, std::int32_t{2});
    EXPECT_EQ(std::get<std::int32_t>(store.Read("View", std::int32_t{2})), 1);
    store.Write("View", std::int32_t{2}, std::int32_t{2});  // back to the default: the key goes
    EXPECT_FALSE(store.Contains("View"));
    EXPECT_EQ(std::get<std::int32_t>(store.Read("View", std::int32_t{2})), 2);

    // Equal only with the same alternative.
    store.Write("AllowEdit", std::int32_t{0}, false);
    EXPECT_TRUE(store.Contains("AllowEdit"));

    auto font = std::make_shared<MemoryFont>("arial", 8.25);
    const PropertyValue ambient = std::shared_ptr<Font>(std::make_shared<MemoryFont>("Arial", 8.25));
    store.Write("Font", std::shared_ptr<Font>(font), ambient);
    EXPECT_FALSE(store.Contains("Font"));
    font->SetBold(true);
    store.Write("Font", std::shared_ptr<Font>(font), ambient);
    font->SetSize(12);  // the store keeps the font as written
    const auto stored = std::get<std::shared_ptr<Font>>(store.Read("Font", ambient));
    EXPECT_TRUE(stored->Bold());
    EXPECT_EQ(stored->Size(), 8.25);
}

TEST(FixedTextMetrics, MeasuresByTheDocumentedRule) {
    const FixedTextMetrics metrics;
    const MemoryFont arial("Arial", 8.25);
    const MemoryFont large("Arial", 16.5);
    EXPECT_EQ(metrics.TextWidth(arial, ""), 0);
    EXPECT_EQ(metrics.TextHeight(arial, ""), 195);
    EXPECT_EQ(metrics.TextWidth(arial, "Zurück"), 540);  // ü is one character
    EXPECT_EQ(metrics.TextWidth(arial, "ab\rcdef\rg"), 360);
    EXPECT_EQ(metrics.TextHeight(arial, "ab\rcdef\rg"), 585);
    EXPECT_EQ(metrics.TextWidth(large, "abc"), 540);
    EXPECT_EQ(metrics.TwipsPerPixelY(), 15);
    EXPECT_THROW(MemoryFont("Wingdings Fantasy"), Error);
}

TEST(MemoryDatabase, AnswersKnownTextsAndRaisesTheEnginesErrors) {
    MemoryDatabase db;
    db.SetResult("SELECT * From Personen", {{{"ID", 1}, {"Name", "Meier"}}, {{"ID", 2}, {"Name", "Schulz"}}});
    auto query = db.CreateQueryDef("", "SELECT * From Personen");
    auto rows = query->OpenRecordset(RecordsetType::Snapshot);
    EXPECT_EQ(rows->RecordCount(), 1);
    EXPECT_TRUE(std::holds_alternative<std::string>(rows->Field("name").Raw()));
    try {
        rows->Field("Vorname");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Description(), "Element in dieser Auflistung nicht gefunden.");
    }
    rows->MoveLast();
    EXPECT_EQ(rows->RecordCount(), 2);
    rows->MoveNext();
    EXPECT_TRUE(rows->IsEOF());
    EXPECT_THROW(rows->MoveNext(), Error);
    EXPECT_THROW(rows->Field("ID"), Error);

    EXPECT_THROW(db.OpenRecordset("SELECT * From Termine"), Error);
    db.SetResponder([](const std::string&) { return Rows{}; });
    EXPECT_TRUE(db.OpenRecordset("SELECT * From Termine")->IsEOF());
    EXPECT_EQ(db.queries(), (std::vector<std::string>{"SELECT * From Personen", "SELECT * From Termine",
                                                      "SELECT * From Termine"}));
}

TEST(MemoryPopupMenu, RaisesTheQueuedChoiceBeforePopupReturns) {
    MemorySurface ui;
    MemoryPopupMenu& menu = ui.Kontextmenu;
    std::vector<int> chosen;
    menu.ItemClick = [&](int index) { chosen.push_back(index); };
    menu.ChooseNext(6);
    menu.Popup(300, 400);
    EXPECT_EQ(chosen, std::vector<int>{6});
    menu.Popup(0, 0);  // nothing queued: closed without a choice
    EXPECT_EQ(chosen.size(), 1u);
    EXPECT_EQ(menu.PopupCount(), 2);
    menu.ChooseNext(3);
    EXPECT_THROW(menu.Popup(0, 0), std::logic_error);  // a separator
}

} // namespace
} // namespace agendor::memory
