// The control shell: properties and their notifications, the required-property
// check, initialization, the resize layout, the sheet date model helpers,
// permissions and persistence.
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>

#include "agendor/control/agendor.h"
#include "agendor/control/permissions.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/database.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/sheet/sheet_model.h"

namespace agendor {
namespace {

using memory::MemorySurface;

struct ControlFixture : ::testing::Test {
    MemorySurface ui;
    Agendor control{ui.surface()};
    void SetUp() override { control.InitProperties(); }
    Instance& in() { return control.instance(); }
    const std::vector<std::string>& changes() { return ui.container.PropertyChanges(); }
    void SetAllData() {
        control.SetDataSourcePerson("P");
        control.SetFieldSourcePerson("N");
        control.SetFieldSourcePersonID("I");
        control.SetDataSourceDates("T");
        control.SetFieldDatesDate("F");
        control.SetFieldDatesDateID("D");
        control.SetWorkspace(std::make_shared<memory::MemoryWorkspace>());
        control.SetDatabase(std::make_shared<memory::MemoryDatabase>());
    }
};

// A second control on a surface of its own, as a reloaded form makes it.
struct Reloaded {
    MemorySurface ui;
    Agendor control{ui.surface()};
    explicit Reloaded(memory::MemoryPropertyStore&& store) { control.ReadProperties(store); }
    explicit Reloaded(memory::MemoryPropertyStore& store) { control.ReadProperties(store); }
};

TEST_F(ControlFixture, NewInstanceHasDefaultsAndWeekdayHeadings) {
    EXPECT_EQ(control.View(), 2);
    EXPECT_EQ(control.DateValue(), dt::DateOnly(memory::kDefaultNow));
    EXPECT_EQ(control.Header(), "Kontakt");
    EXPECT_EQ(control.BackcolorPast(), 0xDCDCDCu);
    EXPECT_EQ(control.Fontname(), "Arial");
    EXPECT_EQ(control.Fontsize(), 8);
    const char* headings[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(ui.Grid.TextMatrix(0, c), headings[c]);
        EXPECT_TRUE(ui.Grid.CellBold(0, c));
        EXPECT_EQ(ui.Grid.CellAlignment(0, c), CellAlignment::CenterCenter);
    }
    EXPECT_EQ(ui.GridZoom.ColWidth(2), 0);
    EXPECT_EQ(ui.GridZoom.ColWidth(3), 0);
}

TEST_F(ControlFixture, ResizeLaysOutTheWorkedExample) {
    control.Resize(8175, 7185);
    EXPECT_EQ(in().state.SheetColWidth, 1168);
    for (int c = 0; c < 6; ++c) EXPECT_EQ(ui.Grid.ColWidth(c), 1168) << c;
    EXPECT_EQ(ui.Grid.ColWidth(6), 1152);
    EXPECT_EQ(ui.Grid.Top(), 450);
    EXPECT_EQ(ui.Grid.Height(), 6735);
    EXPECT_EQ(ui.Grid.RowHeight(0), 400);
    for (int r = 1; r < 6; ++r) EXPECT_EQ(ui.Grid.RowHeight(r), 1056) << r;
    EXPECT_EQ(ui.Grid.RowHeight(6), 1040);
    EXPECT_EQ(ui.GridZoom.Width(), 2500);
    EXPECT_EQ(ui.GridZoom.ColWidth(0), 500);
    EXPECT_EQ(ui.GridZoom.ColWidth(1), 1960);
    EXPECT_EQ(ui.Toolbar1.Width(), 2500);
    EXPECT_EQ(ui.txtToolbarTag.Width(), 2500 - 1090);
    EXPECT_EQ(ui.lblMonat.Width(), 8175 - 1840);
    EXPECT_EQ(ui.Grid.Row(), 6);
    EXPECT_EQ(ui.Grid.Col(), 6);
    // A week sheet's one row stretches.
    ui.Grid.SetRows(2);
    control.Resize(8175, 7185);
    EXPECT_EQ(ui.Grid.RowHeight(1), 6735 - 400 - 15);
}

TEST_F(ControlFixture, ResizeOfANarrowControlSkipsOnlyTheRefusedStatements) {
    control.Resize(8175, 7185);
    const DateTime before = control.DateValue();
    control.Resize(1000, 7185);
    EXPECT_EQ(ui.lblMonat.Width(), 8175 - 1840);  // the negative width was refused
    EXPECT_EQ(ui.Grid.ColWidth(0), 143);
    EXPECT_EQ(ui.Grid.ColWidth(6), 127);
    EXPECT_EQ(ui.GridZoom.Width(), 2500);
    EXPECT_EQ(control.DateValue(), before);
    // Repeating a size gives the same layout; a zero size must not fail.
    control.Resize(1000, 7185);
    EXPECT_EQ(ui.Grid.ColWidth(6), 127);
    EXPECT_NO_THROW(control.Resize(0, 0));
    EXPECT_NO_THROW(control.Resize(-5, 3));
}

TEST_F(ControlFixture, RequiredPropertiesAreCheckedInOrderAndRefreshWithoutThemBuildsNoSheet) {
    const std::vector<std::pair<std::string, std::function<void()>>> unset = {
        {"DataSourcePerson", [&] { control.SetDataSourcePerson(""); }},
        {"FieldSourcePerson", [&] { control.SetFieldSourcePerson(""); }},
        {"FieldSourcePersonID", [&] { control.SetFieldSourcePersonID(""); }},
        {"DataSourceDates", [&] { control.SetDataSourceDates(""); }},
        {"FieldDatesDate", [&] { control.SetFieldDatesDate(""); }},
        {"FieldDatesDateID", [&] { control.SetFieldDatesDateID(""); }},
        {"Workspace", [&] { control.SetWorkspace(nullptr); }},
        {"Database", [&] { control.SetDatabase(nullptr); }},
    };
    // Unsetting from the back: each time the first missing one is named.
    // FieldDatesPerson is not required.
    SetAllData();
    control.SetFieldDatesPerson("");
    EXPECT_TRUE(CheckRequiredProperties(in()));
    EXPECT_TRUE(ui.container.Messages().empty());
    for (auto it = unset.rbegin(); it != unset.rend(); ++it) {
        it->second();
        ui.container.ClearRecords();
        EXPECT_FALSE(CheckRequiredProperties(in()));
        ASSERT_EQ(ui.container.Messages().size(), 1u);
        const Message& m = ui.container.Messages()[0];
        EXPECT_EQ(m.text, "Set Property <" + it->first + "> first!");
        EXPECT_EQ(m.icon, MessageIcon::Critical);
        EXPECT_EQ(m.buttons, MessageButtons::Ok);
        EXPECT_EQ(m.title, "");
    }
    // Refresh names the first missing property and builds no sheet.
    ui.container.ClearRecords();
    control.Refresh();
    ASSERT_EQ(ui.container.Messages().size(), 1u);
    EXPECT_EQ(ui.container.Messages()[0].text, "Set Property <DataSourcePerson> first!");
    EXPECT_EQ(ui.lblMonat.Caption(), "Monat Jahr");
    // The gate off: the check passes without a word.
    ui.container.ClearRecords();
    ui.container.SetUserMode(false);
    EXPECT_TRUE(CheckRequiredProperties(in()));
    EXPECT_TRUE(ui.container.Messages().empty());
}

TEST_F(ControlFixture, FontPropertiesNotifyInTheirOrderAndKeepTheRealName) {
    ui.container.ClearRecords();
    control.SetFont(std::make_shared<memory::MemoryFont>("Courier New", 9.6));
    EXPECT_EQ(changes(), (std::vector<std::string>{"Font", "Fontname", "Fontsize"}));
    EXPECT_EQ(control.Fontname(), "Courier New");
    EXPECT_EQ(control.Fontsize(), 10);
    EXPECT_EQ(ui.Grid.GridFont(), control.Font());
    EXPECT_EQ(ui.SurfaceFont(), control.Font());

    ui.container.ClearRecords();
    const auto zoomFont = ui.GridZoom.GridFont();
    control.SetFontsize(12);
    EXPECT_EQ(changes(), (std::vector<std::string>{"Fontsize", "Font"}));
    EXPECT_EQ(ui.Grid.GridFont()->Size(), 12);
    EXPECT_EQ(ui.GridZoom.GridFont(), zoomFont);

    ui.container.ClearRecords();
    control.SetFontname("Arial");
    EXPECT_EQ(changes(), (std::vector<std::string>{"Fontname", "Font"}));
    // A font name that cannot be applied keeps the real name.
    ui.container.ClearRecords();
    control.SetFontname("No Such Face");
    EXPECT_EQ(control.Fontname(), "Arial");
    EXPECT_EQ(control.Font()->Name(), "Arial");
    EXPECT_TRUE(changes().empty());
}

TEST_F(ControlFixture, PropertySettersStoreThenActThenNotify) {
    ui.container.ClearRecords();
    control.SetBackColor(0x112233);
    control.SetBackcolorPast(0x445566);
    control.SetHeader("Kunde");
    control.SetAllowPrint(false);
    control.SetDateValue(37000.5);
    EXPECT_EQ(changes(), (std::vector<std::string>{"BackColor", "BackcolorPast", "Header", "AllowPrint", "DateValue"}));
    EXPECT_FALSE(ui.Toolbar2.Button(5).visible);
    EXPECT_EQ(control.DateValue(), 37000.5);
}

TEST_F(ControlFixture, ViewOutsideOneToFiveIsRefusedBeforeAnythingChanges) {
    ui.container.ClearRecords();
    for (int bad : {0, 6, -1, 70000}) {
        EXPECT_THROW(control.SetView(bad), Error) << bad;
        EXPECT_EQ(control.View(), 2);
    }
    EXPECT_TRUE(changes().empty());
    control.SetView(1);
    EXPECT_EQ(control.View(), 1);
    EXPECT_TRUE(ui.Toolbar2.Button(1).pressed);
    EXPECT_FALSE(ui.Toolbar2.Button(2).pressed);
    EXPECT_EQ(changes().front(), "View");
}

// The week sheet 26 Feb ... 4 Mar 2001 and 29 Dec 2003 ... 4 Jan 2004, written
// directly so that only the date model is under test.
TEST_F(ControlFixture, CellDateReadsTheDateOfTheCurrentCellAcrossMonthsAndYears) {
    const DateTime k2Mar2001 = 36952, k27Feb2001 = 36949, k2Jan2004 = 37988, k30Dec2003 = 37985;
    const struct {
        const char* name;
        const char* cells[7];
        DateTime dateValue;
        int col;
        DateTime expected;
    } cases[] = {

        {"EarlierMonthFromLater", {"26", "27", "28", "1", "2", "3", "4"}, k2Mar2001, 1, k27Feb2001},
        {"LaterMonthFromLater", {"26", "27", "28", "1", "2", "3", "4"}, k2Mar2001, 5, k2Mar2001 + 1},
        {"LaterMonthFromEarlier", {"26", "27", "28", "1", "2", "3", "4"}, k27Feb2001, 5, k2Mar2001 + 1},
        {"PreviousYear", {"29", "30", "31", "1", "2", "3", "4"}, k2Jan2004, 0, k30Dec2003 - 1},
        {"NextYear", {"29", "30", "31 Silvester", "1 Neujahrstag", "2", "3", "4"}, k30Dec2003, 3, k2Jan2004 - 1},
        {"EmptyCellKeepsTimeOfDay", {"29", "30", "31", "", "2", "3", "4"}, k30Dec2003 + 0.75, 3, k30Dec2003 + 0.75},
    };
    in().state.View = agWoche;
    ui.Grid.SetRows(2);
    ui.Grid.SetRedraw(false);
    ui.Grid.SetRow(1);
    for (const auto& c : cases) {
        for (int col = 0; col < 7; ++col) ui.Grid.SetTextMatrix(1, col, c.cells[col]);
        in().state.DateValue = c.dateValue;
        ui.Grid.SetCol(c.col);
        EXPECT_EQ(CellDate(in()), c.expected) << c.name;
    }
}

TEST(DayNumberOfText, ReadsTheLeadingDigitsOfTheFirstTwoCharacters) {
    for (const auto& [text, day] : {std::pair{"7 Tag der dt. Einheit", 7}, {"12", 12}, {"123", 12}, {"Mo", 0}, {"", 0},
                                    {"3 Tag der dt. Einheit\r09:00 Meier", 3}})
        EXPECT_EQ(DayNumberOfText(text), day) << text;
}

TEST_F(ControlFixture, FitCellTextCutsToTheColumnLessTenPixels) {
    in().state.SheetColWidth = 1168;  // limit 1018 twips: 11 characters of 90 twips fit
    EXPECT_EQ(FitCellText(in(), "Kurz"), "Kurz");
    EXPECT_EQ(FitCellText(in(), "09:05 Meier-Lüdenscheid"), "09:05 Meier");
    EXPECT_EQ(FitCellText(in(), "ÄÖÜäöüßÄÖÜäöü"), "ÄÖÜäöüßÄÖÜä");  // whole UTF-8 characters
    in().state.SheetColWidth = 200;  // limit 50: not even the first character fits
    EXPECT_EQ(FitCellText(in(), "25"), "");
}

TEST_F(ControlFixture, LineFitsComparesWithTheCurrentRowHeight) {
    ui.Grid.SetRows(7);
    ui.Grid.SetRowHeight(1, 585);
    ui.Grid.SetRedraw(false);
    ui.Grid.SetRow(1);
    EXPECT_TRUE(LineFits(in(), "1\r09:00 A", "10:00 B"));        // 3 lines of 195: just fits
    EXPECT_FALSE(LineFits(in(), "1\r09:00 A\r10:00 B", "11:00 C"));  // 4 lines
}

// ISO 8601 weeks computed independently: the week of a date is the one that
// holds its Thursday, counted in the Thursday's year.
int IsoWeek(std::chrono::sys_days day) {
    using namespace std::chrono;
    const weekday wd{day};
    const int isoWd = wd.iso_encoding();
    const sys_days thursday = day + days{4 - isoWd};
    const year_month_day ymd{thursday};
    const sys_days jan1 = sys_days{ymd.year() / January / 1};
    return static_cast<int>((thursday - jan1).count() / 7 + 1);
}

TEST(WeekNumber, IsTheIsoWeekAroundYearEnds) {
    using namespace std::chrono;
    const sys_days epoch = sys_days{1899y / December / 30};
    const std::pair<sys_days, sys_days> spans[] = {
        {sys_days{2003y / December / 15}, sys_days{2005y / January / 15}},
        {sys_days{2020y / December / 15}, sys_days{2021y / January / 15}},
        {sys_days{2026y / January / 1}, sys_days{2027y / January / 10}},
    };
    for (const auto& [from, to] : spans) {
        for (sys_days d = from; d <= to; d += days{1}) {
            const DateTime value = (d - epoch).count() + 0.5;
            ASSERT_EQ(WeekNumber(value), IsoWeek(d)) << (d - epoch).count();
        }
    }
    EXPECT_EQ(WeekNumber(dt::FromYmd(2004, 12, 27)), 53);
    EXPECT_EQ(WeekNumber(dt::FromYmd(2003, 12, 29)), 1);
}

TEST_F(ControlFixture, PermissionsHideTheCommandsTheyGovern) {
    struct Case {
        bool scroll, view, edit, print;
        std::vector<bool> items;  // items 1 ... 7
        bool menu;
    };
    const Case cases[] = {
        {false, false, true, false, {false, false, false, false, false, true, false}, true},
        {true, false, false, true, {true, true, false, false, true, false, true}, true},
        {true, true, true, true, {true, true, true, true, true, true, true}, true},
    };
    for (const Case& c : cases) {
        control.SetAllowScroll(c.scroll);
        control.SetAllowChangeView(c.view);
        control.SetAllowEdit(c.edit);
        control.SetAllowPrint(c.print);
        EXPECT_EQ(in().state.MenuEnabled, c.menu);
        for (int i = 1; i <= 7; ++i) EXPECT_EQ(ui.Kontextmenu.Item(i).visible, c.items[i - 1]) << i;
        EXPECT_EQ(ui.Toolbar2.Button(1).visible, c.view);
        EXPECT_EQ(ui.Toolbar2.Button(3).visible, c.scroll);
        EXPECT_EQ(ui.Toolbar2.Button(5).visible, c.print);
    }
    control.SetAllowScroll(false);
    control.SetAllowChangeView(false);
    control.SetAllowEdit(false);
    control.SetAllowPrint(false);
    EXPECT_FALSE(in().state.MenuEnabled);
    for (int b = 1; b <= 5; ++b) EXPECT_FALSE(ui.Toolbar2.Button(b).visible);
    // With nothing to offer the items keep what the last flag left them:
    // "Drucken" was still allowed then.
    EXPECT_TRUE(ui.Kontextmenu.Item(7).visible);
    for (int i = 1; i <= 6; ++i) EXPECT_FALSE(ui.Kontextmenu.Item(i).visible) << i;
    // A right click is then an ordinary release: it silences no click.
    ui.Grid.UserRightClick(100, 100);
    EXPECT_EQ(ui.Kontextmenu.PopupCount(), 0);
    EXPECT_FALSE(in().state.PopupShown);
}

TEST_F(ControlFixture, MonthPagingKeepsTheDayOrTakesTheLastDay) {
    control.Resize(8175, 7185);
    in().state.DateValue = dt::FromYmd(2001, 1, 31) + 0.25;
    SheetCommand(in(), 4);
    EXPECT_EQ(control.DateValue(), dt::FromYmd(2001, 2, 28) + 0.25);
    EXPECT_EQ(ui.lblMonat.Caption(), "Februar 2001");
    SheetCommand(in(), 3);
    EXPECT_EQ(control.DateValue(), dt::FromYmd(2001, 1, 28) + 0.25);
    in().state.View = agWoche;
    SheetCommand(in(), 3);
    SheetCommand(in(), 4);
    EXPECT_EQ(control.DateValue(), dt::FromYmd(2001, 1, 28) + 0.25);
}

TEST_F(ControlFixture, PropertiesSurviveAStoreRoundTrip) {
    memory::MemoryPropertyStore store;
    control.SetView(1);
    control.SetBackcolorPast(0x123456);
    control.SetDataSourceDates("Termine");
    control.SetDateValue(dt::FromYmd(2001, 3, 14));
    control.SetFont(std::make_shared<memory::MemoryFont>("Courier New", 11.4));
    control.WriteProperties(store);
    EXPECT_TRUE(store.Contains("BackColorPast"));
    EXPECT_TRUE(store.Contains("View"));
    EXPECT_FALSE(store.Contains("BackColor"));  // equal to its default
    EXPECT_FALSE(store.Contains("AllowEdit"));

    Reloaded restored(store);
    EXPECT_EQ(restored.control.View(), 1);
    EXPECT_EQ(restored.control.BackcolorPast(), 0x123456u);
    EXPECT_EQ(restored.control.DataSourceDates(), "Termine");
    EXPECT_EQ(restored.control.DateValue(), dt::FromYmd(2001, 3, 14));
    EXPECT_EQ(restored.control.Fontname(), "Courier New");
    EXPECT_EQ(restored.control.Fontsize(), 11);
    EXPECT_EQ(restored.ui.Grid.GridFont(), restored.control.Font());
}

TEST_F(ControlFixture, AnEmptyStoreGivesTheDefaultsAndAppliesFontAndPermissions) {
    memory::MemoryPropertyStore store;
    Reloaded restored(store);
    EXPECT_EQ(restored.control.View(), 2);
    EXPECT_EQ(restored.control.Header(), "Kontakt");
    EXPECT_EQ(restored.control.DateValue(), dt::DateOnly(memory::kDefaultNow));
    EXPECT_NE(restored.ui.Grid.GridFont(), nullptr);
    EXPECT_TRUE(restored.control.instance().state.MenuEnabled);
}

TEST_F(ControlFixture, FontsizeAndFontnameSurviveSaveAndReloadAndLeaveTheAmbientFont) {
    const std::shared_ptr<Font> ambient = ui.container.AmbientFont();
    control.SetFontsize(12);
    control.SetFontname("Courier New");
    EXPECT_EQ(ambient->Size(), 8.25);
    EXPECT_EQ(ambient->Name(), "Arial");
    memory::MemoryPropertyStore store;
    control.WriteProperties(store);
    Reloaded restored(store);
    EXPECT_EQ(restored.control.Fontsize(), 12);
    EXPECT_EQ(restored.control.Fontname(), "Courier New");
    // A reloaded instance without a stored font must not share the ambient
    // object either.
    Reloaded plain{memory::MemoryPropertyStore()};
    plain.control.SetFontsize(14);
    EXPECT_EQ(plain.ui.container.AmbientFont()->Size(), 8.25);
}

TEST_F(ControlFixture, DateValueOutsideTheCalendarIsRefusedWhereItComesIn) {
    const DateTime before = control.DateValue();
    const DateTime bad[] = {std::nan(""), INFINITY, -INFINITY, dt::FromYmd(100, 1, 1) - 1,
                            dt::FromYmd(9999, 12, 31) + 1, dt::FromYmd(9999, 12, 31) + 0.9999999999};
    for (DateTime v : bad) {
        ui.container.ClearRecords();
        EXPECT_THROW(control.SetDateValue(v), Error) << v;
        EXPECT_EQ(control.DateValue(), before);
        EXPECT_TRUE(changes().empty());

        memory::MemoryPropertyStore store;
        store.Set("DateValue", v);
        store.Set("Header", std::string("Kunde"));
        MemorySurface ui2;
        Agendor restored(ui2.surface());
        EXPECT_THROW(restored.ReadProperties(store), Error) << v;
        EXPECT_EQ(restored.Header(), "Kontakt");
        EXPECT_EQ(restored.DateValue(), dt::DateOnly(memory::kDefaultNow));
    }
    control.SetDateValue(dt::FromYmd(100, 1, 1));
    control.SetDateValue(dt::FromYmd(9999, 12, 31) + 0.5);
    EXPECT_EQ(control.DateValue(), dt::FromYmd(9999, 12, 31) + 0.5);
}

// Item 4 of the menu and the pressed button of Toolbar2 always name and show
// the view on screen, however View was set.
TEST_F(ControlFixture, MenuItemFourAndToolbarFollowViewWhereverItIsSet) {
    auto expectShows = [&](int view, const std::string& where) {
        EXPECT_EQ(ui.Kontextmenu.Item(4).caption, view == 2 ? "Wochenansicht" : "Monatsansicht") << where;
        EXPECT_EQ(ui.Toolbar2.Button(1).pressed, view != 2) << where;
        EXPECT_EQ(ui.Toolbar2.Button(2).pressed, view == 2) << where;
    };
    control.Resize(8175, 7185);
    KontextClick(in(), 4);
    expectShows(1, "menu to week");
    EXPECT_EQ(control.View(), 1);
    control.SetView(2);
    expectShows(2, "setter");
    control.SetView(1);
    expectShows(1, "setter");
    KontextClick(in(), 4);
    expectShows(2, "menu to month");
    EXPECT_EQ(control.View(), 2);

    memory::MemoryPropertyStore store;
    store.Set("View", std::int32_t{1});
    Reloaded restored(store);
    EXPECT_EQ(restored.ui.Kontextmenu.Item(4).caption, "Monatsansicht");
    EXPECT_TRUE(restored.ui.Toolbar2.Button(1).pressed);
    EXPECT_FALSE(restored.ui.Toolbar2.Button(2).pressed);
    // Choosing item 4 in the restored week view switches to the month.
    restored.control.Resize(8175, 7185);
    KontextClick(restored.control.instance(), 4);
    EXPECT_EQ(restored.control.View(), 2);
}

} // namespace
} // namespace agendor
