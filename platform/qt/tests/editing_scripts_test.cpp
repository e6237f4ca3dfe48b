// One table of editing scripts in the day grid of Wednesday 14 November
// 2001, run on the in-memory widgets and on the Qt widgets (clicks through
// the window, keys to QApplication::focusWidget()), with press and release
// together and with the event loop between them; Timer1 ticks after every
// step. Checked: every host event in order and what the control shows; the
// backends must agree. Month sheet: the 14th is cell 3,2, the 20th 4,1.
#include <QAbstractItemView>
#include <QDir>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "agendor/control/instance_access.h"
#include "agendor/data/day_grid.h"
#include "agendor/editing/move_appointment.h"
#include "agendor/platform/memory/clock.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/qt/tests/qt_test_support.h"
#include "tests/core/appointment_fixture.h"

namespace agendor {
namespace {

using qt::testing::DeliverPosted;

struct Script {
    const char* name;
    std::vector<std::string> steps;
    std::vector<std::string> events;
    // Day grid rows "hh:mm person" ('|' between), the open editors, the
    // widget with the focus, the selected day and the sheet's current cell.
    std::string after;
    bool refuse = false;  // the host cancels every change
    std::vector<std::string> boxes = {};  // the message boxes shown
};

void PrintTo(const Script& script, std::ostream* os) { *os << script.name; }

// A key as a step names it: "Esc", "Alt+Right", "Ctrl+X"; virtual key code,
// shift state (1 Shift, 2 Ctrl, 4 Alt) and Qt's key.
struct Stroke {
    int code = 0;
    int shift = 0;
    Qt::Key key = Qt::Key_unknown;
};
Stroke ParseStroke(std::string key) {
    Stroke stroke;
    for (auto [name, bit] : {std::pair{"Shift+", 1}, {"Ctrl+", 2}, {"Alt+", 4}})
        if (key.rfind(name, 0) == 0) {
            stroke.shift |= bit;
            key.erase(0, std::string(name).size());
        }
    const std::tuple<const char*, int, Qt::Key> named[] = {
        {"Tab", 9, Qt::Key_Tab},   {"Enter", 13, Qt::Key_Return}, {"Esc", 27, Qt::Key_Escape}, {"Left", 37, Qt::Key_Left},
        {"Up", 38, Qt::Key_Up}, {"Right", 39, Qt::Key_Right}, {"Down", 40, Qt::Key_Down}};
    for (const auto& [name, code, qtKey] : named)
        if (key == name) stroke.code = code, stroke.key = qtKey;
    // A capital letter or a digit: its code is its character, for both.
    if (key.size() == 1) stroke.code = key[0], stroke.key = static_cast<Qt::Key>(key[0]);
    EXPECT_NE(stroke.code, 0) << key;
    return stroke;
}

// The host: logs each event and stores what it accepts in the fixture's list.
struct Host {
    testing::AppointmentFixture data;
    std::vector<std::string> events;
    bool refuse = false;
    std::int64_t nextId = 100;

    Host() {
        data.appointments = {{7, testing::At(2001, 11, 14, 9), "Abel"}, {8, testing::At(2001, 11, 14, 11, 30), "Meier"}};
        data.persons = {{1, "Abel"}, {2, "Meier"}};
    }
    void Connect(AgendorEvents& e) {
        auto when = [](DateTime v) { return DayGridDateTimeText(v); };
        e.DateNew = [=, this](DateTime at, std::int32_t personId, const std::string& person, bool& cancel) {
            events.push_back("DateNew " + when(at) + " " + std::to_string(personId) + " " + person);
            cancel = refuse;
            if (!cancel) data.appointments.push_back({nextId++, at, person});
        };
        e.DateChange = [=, this](std::int32_t id, DateTime from, DateTime to, bool& cancel) {
            events.push_back("DateChange " + std::to_string(id) + " " + when(from) + " " + when(to));
            cancel = refuse;
            for (auto& a : data.appointments)
                if (!cancel && a.id == id && a.when == from) a.when = to;
        };
        e.DateDel = [=, this](std::int32_t id, DateTime at, const std::string& person, bool& cancel) {
            events.push_back("DateDel " + std::to_string(id) + " " + when(at) + " " + person);
            cancel = refuse;
            if (!cancel) std::erase_if(data.appointments, [id](const auto& a) { return a.id == id; });
        };
        e.IncorrectTime = [this](const std::string& text) { events.push_back("IncorrectTime " + text); };
        e.Click = [=, this](DateTime day) { events.push_back("Click " + when(day)); };
    }
};

std::string Describe(const FlexGrid& sheet, const FlexGrid& zoom, const Widget& clock, const std::string& clockText, const Widget& person,
                     const std::string& personText, const std::string& focus, DateTime day) {
    std::string rows;
    for (int r = 1; zoom.Visible() && r < zoom.Rows(); ++r)
        rows += (r > 1 ? "|" : "") + zoom.TextMatrix(r, 0) + " " + zoom.TextMatrix(r, 1);
    return "rows=" + (zoom.Visible() ? rows : "-") + " clock=" + (clock.Visible() ? clockText : "-") +
           " person=" + (person.Visible() ? personText : "-") + " focus=" + focus + " day=" +
           dt::Format(day, "dd.mm", DefaultLocale()) + " cell=" + std::to_string(sheet.Row()) + "," +
           std::to_string(sheet.Col());
}

// A person at one backend.
class Desk {
public:
    explicit Desk(bool together) : together_(together) {}
    virtual ~Desk() = default;
    virtual void ClickCell(bool sheet, int row, int col) = 0;
    virtual void ClickClock() = 0;
    virtual void ClickButton(int index) = 0;
    virtual void Choose(int index) = 0;
    virtual void Type(const std::string& text) = 0;
    virtual void Key(const std::string& key) = 0;
    virtual void Tick() = 0;
    virtual std::string After() = 0;
    virtual std::vector<std::string> Boxes() = 0;
    virtual Agendor& Control() = 0;

    Host host;

    void Run(const std::string& step) {
        const std::string verb = step.substr(0, step.find(' '));
        const std::string arg = step.size() > verb.size() ? step.substr(verb.size() + 1) : "";
        if (verb == "cell" || verb == "sheet") ClickCell(verb == "sheet", arg[0] - '0', arg[2] - '0');
        else if (verb == "clock") ClickClock();
        else if (verb == "button") ClickButton(std::stoi(arg));
        else if (verb == "choose") Choose(std::stoi(arg));
        else if (verb == "type") Type(arg);
        else if (verb == "noedit") Control().SetAllowEdit(false);
        else if (verb == "move") Move(arg);
        else Key(verb);
        Tick();
    }

protected:
    bool together_;

private:
    // "move <id> <d.m.yyyy>", or "before"/"after" the calendar's first or
    // last day: the core's move of a stored appointment, as a drop calls it.
    void Move(const std::string& arg) {
        const std::int64_t id = std::stoll(arg.substr(0, arg.find(' ')));
        const std::string to = arg.substr(arg.find(' ') + 1);
        DateTime when = 0;
        for (const auto& a : host.data.appointments)
            if (a.id == id) when = *a.when;
        const DateTime day = to == "before" ? dt::FromYmd(100, 1, 1) - 1
                             : to == "after" ? dt::FromYmd(9999, 12, 31) + 1
                                             : *dt::ParseDayMonthYear(to);
        MoveAppointment(InstanceOf(Control()), static_cast<std::int32_t>(id), when, day);
    }
};

class MemoryDesk final : public Desk {
public:
    explicit MemoryDesk(bool together) : Desk(together) {
        testing::AppointmentFixture& f = host.data;
        host.Connect(f.control.Events());
        f.control.Refresh();
        f.surface.ProcessEvents();
        f.surface.Grid.UserDblClickCell(3, 2);
    }
    memory::MemorySurface& ui() { return host.data.surface; }
    void ClickCell(bool sheet, int row, int col) override {
        memory::MemoryGrid& grid = sheet ? ui().Grid : ui().GridZoom;
        // With the loop between press and release, the focus has moved
        // before the click is handled.
        if (!together_) {
            if (!grid.TakeFocus()) return;
            ui().ProcessEvents();
        }
        grid.UserClickCell(row, col);
    }
    void ClickClock() override {
        if (ui().txtClock.UserFocus()) ui().txtClock.SetCaret(0);
    }
    void ClickButton(int index) override { ui().Toolbar1.UserClickButton(index); }
    void Choose(int index) override { ui().cboPerson.UserChoose(index); }
    void Type(const std::string& text) override {
        if (ui().Focused() == &ui().txtClock) ui().txtClock.UserType(text);
        else if (ui().Focused() == &ui().cboPerson) ui().cboPerson.UserTypeText(text);
    }
    void Key(const std::string& key) override {
        if (key == "Tab") {
            ui().context->UserTab();
            return;
        }
        const Stroke stroke = ParseStroke(key);
        const int code = stroke.code;
        if (ui().Focused() == &ui().txtClock) ui().txtClock.UserKey(code);
        else if (ui().Focused() == &ui().cboPerson) ui().cboPerson.UserKey(code);
        else if (auto* grid = dynamic_cast<memory::MemoryGrid*>(ui().Focused())) {
            // An arrow nobody took moves the current cell, as in a table.
            if (grid->UserKeyDown(code, stroke.shift) && stroke.shift == 0 && code >= 37 && code <= 40)
                grid->UserArrow(code == 38 ? -1 : code == 40 ? 1 : 0, code == 37 ? -1 : code == 39 ? 1 : 0);
        }
    }
    Agendor& Control() override { return host.data.control; }
    void Tick() override { ui().Timer1.FireTick(); }
    std::string After() override {
        const memory::MemoryWidget* focused = ui().Focused();
        return Describe(ui().Grid, ui().GridZoom, ui().txtClock, ui().txtClock.Text(), ui().cboPerson, ui().cboPerson.Text(),
                        focused ? focused->Name() : "-", host.data.state().DateValue);
    }
    std::vector<std::string> Boxes() override {
        std::vector<std::string> texts;
        for (const Message& m : host.data.messages()) texts.push_back(m.text);
        return texts;
    }
};

class QtDesk final : public Desk {
public:
    explicit QtDesk(bool together) : Desk(together), widget(nullptr, &clock) {
        Agendor& control = widget.control();
        testing::SetUpTestControl(control);
        control.SetWorkspace(std::make_shared<memory::MemoryWorkspace>());
        control.SetDatabase(host.data.database);
        widget.surface().container.SetAnswerer([this](const Message& m) {
            boxes.push_back(m.text);
            return MessageResult::Ok;
        });
        host.Connect(control.Events());
        widget.resize(545, 479);
        qt::testing::ShowActive(widget);
        control.Refresh();
        DeliverPosted();
        qt::testing::DoubleClick(ui().Grid->viewport(), ui().Grid->CellRect(3, 2).center());
        DeliverPosted();
    }
    qt::QtSurface& ui() { return widget.surface(); }
    void Click(QWidget* w, QPoint at) {
        QWindow* window = widget.windowHandle();
        const QPoint p = w->mapTo(&widget, at);
        if (together_) {
            QTest::mouseClick(window, Qt::LeftButton, {}, p);
        } else {
            QTest::mousePress(window, Qt::LeftButton, {}, p);
            DeliverPosted();
            QTest::mouseRelease(window, Qt::LeftButton, {}, p);
        }
        DeliverPosted();
    }
    void ClickCell(bool sheet, int row, int col) override {
        qt::QtFlexGrid& grid = sheet ? *ui().Grid : *ui().GridZoom;
        Click(grid.viewport(), grid.CellRect(row, col).center());
    }
    void ClickClock() override { Click(ui().txtClock, QPoint(2, ui().txtClock->height() / 2)); }
    void ClickButton(int index) override { Click(ui().Toolbar1->ButtonWidget(index), QPoint(5, 5)); }
    void Choose(int index) override {
        QComboBox& box = *ui().cboPerson;
        box.showPopup();
        DeliverPosted();
        QAbstractItemView* list = box.view();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(index, 0)).center());
        DeliverPosted();
    }
    void Type(const std::string& text) override {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(text));
        DeliverPosted();
    }
    void Key(const std::string& key) override {
        const Stroke stroke = ParseStroke(key);
        Qt::KeyboardModifiers modifiers;
        if (stroke.shift & 1) modifiers |= Qt::ShiftModifier;
        if (stroke.shift & 2) modifiers |= Qt::ControlModifier;
        if (stroke.shift & 4) modifiers |= Qt::AltModifier;
        QTest::keyClick(QApplication::focusWidget(), stroke.key, modifiers);
        DeliverPosted();
    }
    Agendor& Control() override { return widget.control(); }
    void Tick() override {
        // The deferred refresh is due 100 ms after it was asked for.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !ui().Timer1->Enabled(); }, 5000));
        DeliverPosted();
    }
    std::string After() override {
        QWidget* focused = QApplication::focusWidget();
        while (focused && focused->objectName().isEmpty()) focused = focused->parentWidget();
        return Describe(*ui().Grid, *ui().GridZoom, *ui().txtClock, ui().txtClock->Text(), *ui().cboPerson,
                        ui().cboPerson->Text(), focused ? focused->objectName().toStdString() : "-",
                        widget.control().DateValue());
    }
    std::vector<std::string> Boxes() override { return boxes; }

    memory::FixedClock clock{memory::kDefaultNow};
    qt::AgendorWidget widget;
    std::vector<std::string> boxes;
};

const char* const kOutside = "Agendor-Fehlercode 1\r\nDatum außerhalb des gültigen Bereichs (1.1.100 bis 31.12.9999)";

// What the control shows after a script: the day grid of the 14th with the
// given rows and no editor open, or with a refused time left in the editor.
std::string Shown(const std::string& rows, const std::string& focus = "Toolbar1") {
    return "rows=" + rows + " clock=- person=- focus=" + focus + " day=14.11 cell=3,2";
}
std::string Unchanged(const std::string& focus = "GridZoom") { return Shown("09:00 Abel|11:30 Meier", focus); }
std::string TimeRefused(const std::string& clock) {
    return "rows=09:00 Abel|11:30 Meier|__:__  clock=" + clock + " person= focus=txtClock day=14.11 cell=3,2";
}

const Script kScripts[] = {
    {"AddChoose", {"button 2", "type 0930", "Enter", "choose 1"}, {"DateNew 14.11.2001 09:30:00 2 Meier"},
     Shown("09:00 Abel|09:30 Meier|11:30 Meier")},
    {"AddTypeANameNotListed", {"button 2", "type 1605", "Enter", "type Nolte", "Enter"},
     {"DateNew 14.11.2001 16:05:00 -1 Nolte"}, Shown("09:00 Abel|11:30 Meier|16:05 Nolte")},
    {"AddTypeAListedName", {"button 2", "type 1700", "Enter", "type Abel", "Enter"},
     {"DateNew 14.11.2001 17:00:00 1 Abel"}, Shown("09:00 Abel|11:30 Meier|17:00 Abel")},
    {"SaveTakesTheTimeTheEditorShows", {"button 2", "type 0930", "Enter", "type Nolte", "clock", "type 1015", "button 3"},
     {"DateNew 14.11.2001 10:15:00 -1 Nolte"}, Shown("09:00 Abel|10:15 Nolte|11:30 Meier")},
    {"SaveWithAnInvalidTime", {"button 2", "type 0930", "Enter", "type Nolte", "clock", "type 2", "button 3"},
     {"IncorrectTime 29:30"},
     "rows=09:00 Abel|11:30 Meier|09:30  clock=29:30 person=Nolte focus=txtClock day=14.11 cell=3,2"},
    {"AMalformedTimeKeepsTheFocus", {"button 2", "type 2400", "Enter", "cell 1 1", "Tab", "sheet 4 1"},
     {"IncorrectTime 24:00", "IncorrectTime 24:00", "IncorrectTime 24:00", "IncorrectTime 24:00"}, TimeRefused("24:00")},
    {"AMinuteOf60", {"button 2", "type 1260", "Enter"}, {"IncorrectTime 12:60"}, TimeRefused("12:60")},
    {"APartlyTypedTime", {"button 2", "type 1", "Enter"}, {"IncorrectTime 1_:__"}, TimeRefused("1_:__")},
    {"NoTimeTyped", {"button 2", "Enter"}, {"IncorrectTime __:__"}, TimeRefused("__:__")},
    {"EscInTheTimeEditorDropsTheNewRow", {"button 2", "type 09", "Esc"}, {}, Unchanged()},
    {"EscInThePersonBoxThenRetime", {"button 2", "type 0930", "Enter", "type Nie", "Esc", "cell 1 0", "type 0945", "Enter"},
     {"DateChange 7 14.11.2001 09:00:00 14.11.2001 09:45:00"}, Shown("09:45 Abel|11:30 Meier")},
    {"RetimeTwice", {"cell 1 0", "type 1015", "Enter", "cell 1 0", "type 1045", "Enter"},
     {"DateChange 7 14.11.2001 09:00:00 14.11.2001 10:15:00", "DateChange 7 14.11.2001 10:15:00 14.11.2001 10:45:00"},
     Shown("10:45 Abel|11:30 Meier")},
    {"RetimeRefused", {"cell 2 0", "type 1200", "Enter"}, {"DateChange 8 14.11.2001 11:30:00 14.11.2001 12:00:00"},
     Unchanged(), true},
    {"RetimeToTheSameTime", {"cell 2 0", "type 1130", "Enter"}, {}, Unchanged()},
    {"RetimeEndedByAnotherTimeCell", {"cell 1 0", "type 0815", "cell 2 0"},
     {"DateChange 7 14.11.2001 09:00:00 14.11.2001 08:15:00"},
     "rows=08:15 Abel|11:30 Meier clock=11:30 person=- focus=txtClock day=14.11 cell=3,2"},
    {"RetimeEndedByTab", {"cell 1 0", "type 0815", "Tab"}, {"DateChange 7 14.11.2001 09:00:00 14.11.2001 08:15:00"},
     Shown("08:15 Abel|11:30 Meier")},
    {"RetimeEndedByTheSheet", {"cell 1 0", "type 0815", "sheet 4 1"},
     {"DateChange 7 14.11.2001 09:00:00 14.11.2001 08:15:00", "Click 20.11.2001 00:00:00"},
     "rows=- clock=- person=- focus=Grid day=20.11 cell=4,1"},
    {"DeleteAccepted", {"cell 2 1", "button 1"}, {"DateDel 8 14.11.2001 11:30:00 Meier"}, Shown("09:00 Abel")},
    {"DeleteWithTheEditorOpen", {"cell 1 0", "type 0700", "button 1"}, {"DateDel 7 14.11.2001 09:00:00 Abel"},
     Shown("11:30 Meier")},
    {"APendingRowEndsWhenAnotherDayIsChosen", {"button 2", "type 0930", "Enter", "type Nolte", "sheet 4 1"},
     {"Click 20.11.2001 00:00:00"}, "rows=- clock=- person=- focus=Grid day=20.11 cell=4,1"},
    // Moving an appointment to another day, its time kept: Alt+arrows on a
    // row, Ctrl+X there and Ctrl+V on a day of the sheet, or the core's move.
    {"MoveToTheNextDay", {"cell 1 1", "Alt+Right"}, {"DateChange 7 14.11.2001 09:00:00 15.11.2001 09:00:00"},
     "rows=09:00 Abel clock=- person=- focus=GridZoom day=15.11 cell=3,3"},
    {"MoveAWeekOnThenBack", {"cell 2 1", "Alt+Down", "Alt+Up", "Alt+Left"},
     {"DateChange 8 14.11.2001 11:30:00 21.11.2001 11:30:00", "DateChange 8 21.11.2001 11:30:00 14.11.2001 11:30:00",
      "DateChange 8 14.11.2001 11:30:00 13.11.2001 11:30:00"},
     "rows=11:30 Meier clock=- person=- focus=GridZoom day=13.11 cell=3,1"},
    {"MoveRefused", {"cell 1 1", "Alt+Right"}, {"DateChange 7 14.11.2001 09:00:00 15.11.2001 09:00:00"}, Unchanged(),
     true},
    {"MoveWithEditingOff", {"cell 1 1", "noedit", "Alt+Right", "move 7 15.11.2001"}, {}, Unchanged()},
    {"MoveOntoTheSameDay", {"cell 1 1", "move 7 14.11.2001"}, {}, Unchanged()},
    {"CutAndPasteOnAnotherDay", {"cell 1 1", "Ctrl+X", "Right", "Down", "Ctrl+V"},
     {"DateChange 7 14.11.2001 09:00:00 22.11.2001 09:00:00"},
     "rows=09:00 Abel clock=- person=- focus=GridZoom day=22.11 cell=4,3"},
    {"PasteOntoTheSameDay", {"cell 1 1", "Ctrl+X", "Ctrl+V"}, {}, Unchanged("Grid")},
    {"PasteOnACellWithoutADay", {"cell 1 1", "Ctrl+X", "Down", "Down", "Right", "Right", "Right", "Ctrl+V"}, {},
     "rows=09:00 Abel|11:30 Meier clock=- person=- focus=Grid day=30.11 cell=5,5"},
    {"EscEndsTheMark", {"cell 1 1", "Ctrl+X", "Esc", "Right", "Ctrl+V"}, {},
     "rows=09:00 Abel|11:30 Meier clock=- person=- focus=Grid day=15.11 cell=3,3"},
    {"MoveBeforeTheCalendar", {"cell 1 1", "move 7 before"}, {}, Unchanged(), false, {kOutside}},
    {"MoveAfterTheCalendar", {"cell 1 1", "move 7 after"}, {}, Unchanged(), false, {kOutside}},
    {"APendingRowEndsBeforeAMove", {"button 2", "type 0930", "Enter", "type Nolte", "cell 1 1", "move 8 15.11.2001"},
     {"DateChange 8 14.11.2001 11:30:00 15.11.2001 11:30:00"},
     "rows=11:30 Meier clock=- person=- focus=GridZoom day=15.11 cell=3,3"},
    {"APendingRowEndsBeforeARefusedMove", {"button 2", "type 0930", "Enter", "type Nolte", "cell 1 1", "move 8 15.11.2001"},
     {"DateChange 8 14.11.2001 11:30:00 15.11.2001 11:30:00"}, Unchanged(), true},
};

class EditingScript : public ::testing::TestWithParam<std::tuple<Script, bool>> {};

TEST_P(EditingScript, RunsAlikeOnBothBackends) {
    const auto& [script, together] = GetParam();
    MemoryDesk memoryDesk(together);
    QtDesk qtDesk(together);
    for (Desk* desk : {static_cast<Desk*>(&memoryDesk), static_cast<Desk*>(&qtDesk)}) {
        const char* backend = desk == &memoryDesk ? "memory" : "Qt";
        desk->host.events.clear();
        desk->host.refuse = script.refuse;
        for (const std::string& step : script.steps) desk->Run(step);
        EXPECT_EQ(desk->host.events, script.events) << backend;
        EXPECT_EQ(desk->After(), script.after) << backend;
        EXPECT_EQ(desk->Boxes(), script.boxes) << backend;
    }
    qt::testing::SaveShot(qtDesk.widget.grab(), QStringLiteral("script-") + QLatin1String(script.name));
}

INSTANTIATE_TEST_SUITE_P(
    Editing, EditingScript, ::testing::Combine(::testing::ValuesIn(kScripts), ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Together" : "LoopBetween");
    });

// The name list opens on the first entry the typed text begins (as the
// completion matches, in any case), shown but not chosen: the box keeps its
// text and chooses nothing until the person does, with Enter or a click.
struct OpenList {
    const char* name;
    const char* typed;
    QKeyCombination open;
    std::optional<int> highlighted;  // the list's current row; none: Qt's own
    std::vector<Qt::Key> keys;
    std::vector<std::string> events;
};

void PrintTo(const OpenList& row, std::ostream* os) { *os << row.name; }

class PersonList : public ::testing::TestWithParam<OpenList> {};

TEST_P(PersonList, OpensOnTheEntryTheTypedTextBegins) {
    const OpenList& row = GetParam();
    QtDesk desk(true);
    for (const char* step : {"button 2", "type 0930", "Enter"}) desk.Run(step);
    if (*row.typed) desk.Run(std::string("type ") + row.typed);
    QComboBox& box = *desk.ui().cboPerson;
    ASSERT_EQ(QApplication::focusWidget(), &box);
    const QString text = box.currentText();
    desk.host.events.clear();
    QTest::keyClick(QApplication::focusWidget(), row.open.key(), row.open.keyboardModifiers());
    ASSERT_TRUE(QTest::qWaitFor([&] { return box.view()->isVisible(); }, 2000));
    // The screen shows the box and its list together; offscreen has only the list.
    (void)QTest::qWaitForWindowExposed(box.view()->window());
    QTest::qWait(100);  // the list is drawn
    const QPixmap screen = box.screen()->grabWindow(0);
    qt::testing::SaveShot(screen.isNull() ? box.view()->window()->grab() : screen, QStringLiteral("person-list-") + row.name);
    if (row.highlighted) {
        EXPECT_EQ(box.view()->currentIndex().row(), *row.highlighted);
    }
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.currentText(), text);
    for (Qt::Key key : row.keys) {
        QTest::keyClick(QApplication::focusWidget(), key);
        DeliverPosted();
    }
    EXPECT_EQ(desk.host.events, row.events);
}

INSTANTIATE_TEST_SUITE_P(
    Editing, PersonList,
    ::testing::Values(OpenList{"F4OnTheLast", "mei", Qt::Key_F4, 1, {Qt::Key_Return}, {"DateNew 14.11.2001 09:30:00 2 Meier"}},
                      OpenList{"AltDownOnTheFirstThenDown", "A", Qt::AltModifier | Qt::Key_Down, 0,
                               {Qt::Key_Down, Qt::Key_Return}, {"DateNew 14.11.2001 09:30:00 2 Meier"}},
                      OpenList{"NothingTypedHighlightsNothing", "", Qt::Key_F4, std::nullopt, {Qt::Key_Escape}, {}},
                      OpenList{"NoEntryBeginsTheText", "Nol", Qt::Key_F4, std::nullopt, {Qt::Key_Escape}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace agendor
