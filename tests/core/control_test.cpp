// The control shell: properties and their notifications, the required-property
// check, initialization, the resize layout, the sheet date model helpers,
// permissions and persistence.
#include <chrono>
#include <cmath>
#include <map>
#include <set>
#include <gtest/gtest.h>

#include "agendor/control/agendor.h"
#include "agendor/control/instance_access.h"
#include "agendor/control/refresh.h"
#include "agendor/control/permissions.h"
#include "agendor/core/properties.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/database.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/sheet/sheet_model.h"

namespace agendor {
namespace {

using memory::MemorySurface;

// The required data properties in the order the check names them.
const char* const kRequiredData[] = {"DataSourcePerson", "FieldSourcePerson", "FieldSourcePersonID",
                                     "DataSourceDates",  "FieldDatesDate",    "FieldDatesDateID"};

struct ControlFixture : ::testing::Test {
    MemorySurface ui;
    Agendor control{ui.surface()};
    void SetUp() override { control.InitProperties(); }
    Instance& in() { return InstanceOf(control); }
    const std::vector<std::string>& changes() { return ui.container.PropertyChanges(); }
    void SetAllData() {
        for (const char* name : kRequiredData) SetDataProperty(control, name, "T");
        control.SetWorkspace(std::make_shared<memory::MemoryWorkspace>());
        control.SetDatabase(std::make_shared<memory::MemoryDatabase>());
    }
};

// A second control on a surface of its own, as a reloaded form makes it.
struct Reloaded {
    MemorySurface ui;
    Agendor control{ui.surface()};
    explicit Reloaded(memory::MemoryPropertyStore&& store) { control.ReadProperties(store); }
    explicit Reloaded(PropertyStore& store) { control.ReadProperties(store); }
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
    EXPECT_EQ(std::tuple(ui.Grid.Top(), ui.Grid.Height(), ui.Grid.RowHeight(0)), std::tuple(450, 6735, 400));
    for (int r = 1; r < 6; ++r) EXPECT_EQ(ui.Grid.RowHeight(r), 1056) << r;
    EXPECT_EQ(ui.Grid.RowHeight(6), 1040);
    EXPECT_EQ(std::tuple(ui.GridZoom.Width(), ui.GridZoom.ColWidth(0), ui.GridZoom.ColWidth(1)),
              std::tuple(2500, 500, 1960));
    EXPECT_EQ(ui.Toolbar1.Width(), 2500);
    EXPECT_EQ(ui.txtToolbarTag.Width(), 2500 - 1090);
    EXPECT_EQ(ui.lblMonat.Width(), 8175 - 1840);
    EXPECT_EQ(std::pair(ui.Grid.Row(), ui.Grid.Col()), std::pair(6, 6));
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
    std::vector<std::pair<std::string, std::function<void()>>> unset;
    for (const char* name : kRequiredData) unset.push_back({name, [this, name] { SetDataProperty(control, name, ""); }});
    unset.push_back({"Workspace", [&] { control.SetWorkspace(nullptr); }});
    unset.push_back({"Database", [&] { control.SetDatabase(nullptr); }});
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
    const sys_days thursday = day + days{4 - static_cast<int>(weekday{day}.iso_encoding())};
    return static_cast<int>((thursday - sys_days{year_month_day{thursday}.year() / January / 1}).count() / 7 + 1);
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
        // With nothing to offer the items keep what the last flag left them:
        // "Drucken" was still allowed then.
        {false, false, false, false, {false, false, false, false, false, false, true}, false},
    };
    for (const Case& c : cases) {
        control.SetAllowScroll(c.scroll);
        control.SetAllowChangeView(c.view);
        control.SetAllowEdit(c.edit);
        control.SetAllowPrint(c.print);
        EXPECT_EQ(in().state.MenuEnabled, c.menu);
        for (int i = 1; i <= 7; ++i) EXPECT_EQ(ui.Kontextmenu.Item(i).visible, c.items[i - 1]) << i;
        const bool buttons[] = {c.view, c.view, c.scroll, c.scroll, c.print};
        for (int b = 1; b <= 5; ++b) EXPECT_EQ(ui.Toolbar2.Button(b).visible, buttons[b - 1]) << b;
    }
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

// Each property through the public interface, with a value of its own in
// each round r (0 to 2) and as text. The bools, of which there are too many
// for two values, take the bit r of a pattern of their own; the data
// properties are set by name, as hosts set them from a settings file.
// Database and Workspace come last, so that View's rebuild stops at the
// required-property check.
struct PropertyRow {
    const char* name;
    std::function<void(Agendor&, int)> set;
    std::function<std::string(const Agendor&)> get;
};
#define DATA(P) {#P, [](Agendor& c, int r) { SetDataProperty(c, #P, #P + std::to_string(r)); }, [](const Agendor& c) { return c.P(); }}
#define TEXT(P) {#P, [](Agendor& c, int r) { c.Set##P(#P + std::to_string(r)); }, [](const Agendor& c) { return c.P(); }}
#define VALUE(P, value) {#P, [](Agendor& c, int r) { c.Set##P(value); }, [](const Agendor& c) { return std::to_string(c.P()); }}
#define FLAG(P, pattern) VALUE(P, ((pattern) >> r & 1) != 0)
#define OBJECT(P, Type) {#P, [](Agendor& c, int r) { c.Set##P(r == 2 ? std::make_shared<memory::Type>() : nullptr); }, [](const Agendor& c) { return c.P() ? "gesetzt" : ""; }}
const PropertyRow kPropertyRows[] = {
    DATA(DataSourcePerson), DATA(FieldSourcePersonID), DATA(FieldSourcePerson), DATA(DataSourceDates),
    DATA(FieldDatesDateID), DATA(FieldDatesDate), DATA(FieldDatesPerson), TEXT(Header), TEXT(Footnote),
    VALUE(BackColor, 0x010101u + r), VALUE(BackColorSel, 0x020202u + r), VALUE(BackColorFixed, 0x030303u + r),
    VALUE(BackcolorPast, 0x040404u + r), VALUE(View, 3 + r), VALUE(DateValue, dt::FromYmd(2001, 3, 14 + r)),
    FLAG(PublicHoliday, 0), FLAG(AllowPrint, 1), FLAG(AllowEdit, 2), FLAG(AllowChangeView, 3), FLAG(AllowScroll, 4),
    {"Font", [](Agendor& c, int) { c.SetFont(std::make_shared<memory::MemoryFont>("Times New Roman", 20, true)); },
     [](const Agendor& c) { return c.Font()->Name() + "/" + std::to_string(c.Font()->Size()) + (c.Font()->Bold() ? "/fett" : ""); }},
    {"Fontname", [](Agendor& c, int r) { c.SetFontname(r == 1 ? "DejaVu Sans" : "Courier New"); },
     [](const Agendor& c) { return c.Fontname(); }},
    VALUE(Fontsize, static_cast<std::int16_t>(13 + r)),
    OBJECT(Workspace, MemoryWorkspace), OBJECT(Database, MemoryDatabase),
};

std::vector<std::string> Values(const Agendor& control) {
    std::vector<std::string> values;
    for (const PropertyRow& row : kPropertyRows) values.push_back(row.get(control));
    return values;
}

// Every property of the table, set to a value of its own, stored and read
// back into a new instance: a property missed in the table, the store, the
// data-property names or a setter fails here. Database and Workspace are
// never stored.
TEST_F(ControlFixture, EveryPropertyKeepsAValueOfItsOwnThroughTheStore) {
    std::map<std::string, PropertyUse> uses;
    for (const PropertyInfo& p : PropertyTable()) uses[p.name] = p.use;
    std::set<std::string> names;
    for (const PropertyRow& row : kPropertyRows) names.insert(row.name);
    ASSERT_EQ(names.size(), uses.size());
    for (const auto& [name, use] : uses) ASSERT_TRUE(names.count(name)) << name;

    const std::vector<std::string> defaults = Values(control);
    std::vector<std::vector<std::string>> rounds(std::size(kPropertyRows));
    for (int r = 0; r < 3; ++r) {
        for (const PropertyRow& row : kPropertyRows) row.set(control, r);
        memory::MemoryPropertyStore store;
        control.WriteProperties(store);
        Reloaded restored(store);
        const std::vector<std::string> set = Values(control), read = Values(restored.control);
        for (std::size_t i = 0; i < set.size(); ++i) {
            const bool stored = uses[kPropertyRows[i].name] != PropertyUse::HostObject;
            EXPECT_EQ(read[i], stored ? set[i] : "") << kPropertyRows[i].name << " in round " << r;
            rounds[i].push_back(set[i]);
        }
    }
    std::map<std::vector<std::string>, std::string> owners;
    for (std::size_t i = 0; i < rounds.size(); ++i) {
        const char* name = kPropertyRows[i].name;
        EXPECT_NE(rounds[i], std::vector<std::string>(3, defaults[i])) << name;
        if (uses[name] == PropertyUse::HostObject) continue;
        const auto [owner, own] = owners.emplace(rounds[i], name);
        EXPECT_TRUE(own) << name << " has the values of " << owner->second;
    }
}

// Reads are recorded; the rest is the memory store.
struct RecordingStore final : PropertyStore {
    memory::MemoryPropertyStore store;
    std::vector<std::string> read;
    PropertyValue Read(const std::string& key, const PropertyValue& value) override {
        read.push_back(key);
        return store.Read(key, value);
    }
    void Write(const std::string& key, const PropertyValue& value, const PropertyValue& def) override {
        store.Write(key, value, def);
    }
};

// A new instance writes nothing (InitProperties and WriteProperties agree
// on every default) and an empty store gives what a new instance holds,
// with its font and permissions applied. Stored forms rely on the keys and
// their order.
TEST_F(ControlFixture, DefaultsAgreeAndTheKeysKeepTheirNamesAndOrder) {
    RecordingStore store;
    control.WriteProperties(store);
    EXPECT_TRUE(store.store.Values().empty());
    EXPECT_EQ(store.store.WrittenKeys(),
              (std::vector<std::string>{"AllowPrint", "AllowEdit", "AllowChangeView", "AllowScroll", "DataSourcePerson",
                                        "FieldSourcePersonID", "FieldSourcePerson", "DataSourceDates", "FieldDatesDateID",
                                        "FieldDatesDate", "FieldDatesPerson", "Header", "BackColor", "BackColorSel",
                                        "BackColorFixed", "BackColorPast", "Font", "View", "PublicHoliday", "DateValue",
                                        "Footnote"}));
    Reloaded restored(store);
    EXPECT_EQ(store.read,
              (std::vector<std::string>{"AllowPrint", "AllowEdit", "AllowChangeView", "AllowScroll", "DataSourcePerson",
                                        "FieldSourcePersonID", "FieldSourcePerson", "Header", "DataSourceDates",
                                        "FieldDatesDateID", "FieldDatesDate", "FieldDatesPerson", "BackColor",
                                        "BackColorSel", "BackColorFixed", "BackColorPast", "View", "PublicHoliday",
                                        "DateValue", "Footnote", "Font"}));
    EXPECT_EQ(Values(restored.control), Values(control));
    EXPECT_EQ(restored.ui.Grid.GridFont(), restored.control.Font());
    EXPECT_TRUE(InstanceOf(restored.control).state.MenuEnabled);
}

TEST_F(ControlFixture, FontsizeAndFontnameLeaveTheAmbientFont) {
    const std::shared_ptr<Font> ambient = ui.container.AmbientFont();
    control.SetFontsize(12);
    control.SetFontname("Courier New");
    EXPECT_EQ(ambient->Size(), 8.25);
    EXPECT_EQ(ambient->Name(), "Arial");
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
    auto expectShows = [](const MemorySurface& s, int view, const std::string& where) {
        EXPECT_EQ(s.Kontextmenu.Item(4).caption, view == 2 ? "Wochenansicht" : "Monatsansicht") << where;
        EXPECT_EQ(s.Toolbar2.Button(1).pressed, view != 2) << where;
        EXPECT_EQ(s.Toolbar2.Button(2).pressed, view == 2) << where;
    };
    control.Resize(8175, 7185);
    KontextClick(in(), 4);
    expectShows(ui, 1, "menu to week");
    EXPECT_EQ(control.View(), 1);
    control.SetView(2);
    expectShows(ui, 2, "setter");
    control.SetView(1);
    expectShows(ui, 1, "setter");
    KontextClick(in(), 4);
    expectShows(ui, 2, "menu to month");
    EXPECT_EQ(control.View(), 2);

    memory::MemoryPropertyStore store;
    store.Set("View", std::int32_t{1});
    Reloaded restored(store);
    expectShows(restored.ui, 1, "restored");
    // Choosing item 4 in the restored week view switches to the month.
    restored.control.Resize(8175, 7185);
    KontextClick(InstanceOf(restored.control), 4);
    EXPECT_EQ(restored.control.View(), 2);
}

} // namespace
} // namespace agendor
