#include "agendor/control/agendor.h"

#include <cmath>
#include <utility>

#include "agendor/control/instance_access.h"
#include "agendor/control/layout.h"
#include "agendor/control/permissions.h"
#include "agendor/core/properties.h"
#include "agendor/control/refresh.h"
#include "agendor/core/conventions.h"
#include "agendor/data/day_grid.h"
#include "agendor/data/loaders.h"
#include "agendor/data/markers.h"
#include "agendor/editing/appointment_exchange.h"
#include "agendor/editing/commands.h"
#include "agendor/editing/day_grid_interaction.h"
#include "agendor/editing/move_appointment.h"
#include "agendor/core/date_time.h"
#include "agendor/printing/print_sheet.h"
#include "agendor/sheet/holidays.h"
#include "agendor/sheet/navigation.h"
#include "agendor/sheet/sheet_model.h"
#include "agendor/sheet/sheets.h"

namespace agendor {

namespace {

std::int16_t RoundedSize(double points) {
    return static_cast<std::int16_t>(std::nearbyint(points));
}

// Fontname and Fontsize follow the kept font.
void KeepFontViews(State& s) {
    s.Fontname = s.font->Name();
    s.Fontsize = RoundedSize(s.font->Size());
}

// Wraps a handler the control installed into a child widget, so that an
// error it lets through is shown to the person instead of unwinding into
// the backend's event loop, whatever the backend.
template <class... Args>
void Guard(std::function<void(Args...)>& handler, Container* const& container) {
    if (!handler) return;
    handler = [inner = std::move(handler), &container](Args... args) {
        try {
            inner(std::forward<Args>(args)...);
        } catch (const std::exception& e) {
            ShowEscapedError(*container, e);
        }
    };
}

void GuardChildEvents(Instance& in) {
    Surface& ui = in.ui;
    Container* const& box = ui.container;
    for (FlexGrid* grid : {ui.Grid, ui.GridZoom}) {
        GridEvents& g = grid->events;
        Guard(g.EnterCell, box);
        Guard(g.Click, box);
        Guard(g.DblClick, box);
        Guard(g.KeyDown, box);
        Guard(g.KeyPress, box);
        Guard(g.MouseUp, box);
        Guard(g.LostFocus, box);
    }
    for (EditEvents* edit : {&ui.txtClock->events, &ui.cboPerson->events}) {
        Guard(edit->Change, box);
        Guard(edit->KeyPress, box);
        Guard(edit->KeyDown, box);
        Guard(edit->GotFocus, box);
        Guard(edit->LostFocus, box);
        Guard(edit->Validate, box);
    }
    Guard(ui.cboPerson->Click, box);
    Guard(ui.txtToolbarTag->GotFocus, box);
    Guard(ui.Toolbar1->ButtonClick, box);
    Guard(ui.Toolbar2->ButtonClick, box);
    Guard(ui.btnVorlage->Click, box);
    Guard(ui.Kontextmenu->ItemClick, box);
    Guard(ui.Timer1->Tick, box);
}

} // namespace

void ShowErrorBox(Instance& instance, int code, const std::string& description) {
    Message message;
    message.text = "Agendor-Fehlercode " + std::to_string(code) + "\r\n" + description;
    message.title = kErrorBoxTitle;
    message.icon = MessageIcon::Critical;
    message.buttons = MessageButtons::Ok;
    instance.ui.container->MessageBox(message);
}

void WithErrorBox(Instance& instance, int code, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        ShowErrorBox(instance, code, e.what());
    }
}

bool CheckRequiredProperties(Instance& instance) {
    if (const char* name = MissingRequiredProperty(instance.state)) {
        if (!instance.ui.container->UserMode()) return true;
        Message message;
        message.text = std::string("Set Property <") + name + "> first!";
        message.icon = MessageIcon::Critical;
        instance.ui.container->MessageBox(message);
        return false;
    }
    return true;
}

void RefreshControl(Instance& instance) {
    ApplyPermissions(instance);
    if (!CheckRequiredProperties(instance)) return;
    BuildSheet(instance);
    LoadDates(instance);
    LoadPersons(instance);
}

Instance& InstanceOf(Agendor& control) { return *control.instance_; }
const Instance& InstanceOf(const Agendor& control) { return *control.instance_; }

Agendor::Agendor(const Surface& surface) : instance_(std::make_unique<Instance>()), backendPrinter_(surface.OpenPrinter) {
    instance_->ui = surface;
    Initialize();
    ConnectChildEvents();
}

State& Agendor::s() { return instance_->state; }
const State& Agendor::s() const { return instance_->state; }
AgendorEvents& Agendor::Events() { return instance_->events; }

Agendor::~Agendor() {
    // The widgets outlive the control; leave no handler pointing at it.
    Surface& ui = instance_->ui;
    ui.Grid->events = {};
    ui.btnVorlage->Click = nullptr;
    ui.Timer1->Tick = nullptr;
    ui.Toolbar2->ButtonClick = nullptr;
    ui.Kontextmenu->ItemClick = nullptr;
    DisconnectEditingEvents(*instance_);
}

void Agendor::Initialize() {
    Surface& ui = instance_->ui;
    s().DateValue = instance_->Today();
    FlexGrid& grid = *ui.Grid;
    grid.SetRow(0);
    for (int c = 0; c < 7; ++c) {
        grid.SetCol(c);
        grid.SetCellAlignment(CellAlignment::CenterCenter);
        grid.SetCellFontBold(true);
        grid.SetText(instance_->locale().WeekdayName(c + 1, true));
    }
    ui.GridZoom->SetRowHeightMin(ui.cboPerson->Height());
    ui.GridZoom->SetColWidth(2, 0);
    ui.GridZoom->SetColWidth(3, 0);
    for (int b = 1; b <= 2; ++b) {
        ToolbarButton button = ui.Toolbar1->Button(b);
        button.image = b;
        ui.Toolbar1->SetButton(b, button);
    }
}

void Agendor::ConnectChildEvents() {
    Instance& in = *instance_;
    GridEvents& g = in.ui.Grid->events;
    g.EnterCell = [&in] { GridEnterCell(in); };
    g.Click = [&in] { GridClick(in); };
    g.DblClick = [&in] { GridDblClick(in); };
    g.KeyDown = [&in](int& keyCode, int shift) { GridKeyDown(in, keyCode, shift); };
    g.KeyPress = [&in](int& key) { GridKeyPress(in, key); };
    g.MouseUp = [&in](int button, int shift, Twips x, Twips y) { GridMouseUp(in, button, shift, x, y); };
    g.LostFocus = [&in] { GridLostFocus(in); };
    in.ui.btnVorlage->Click = [&in](int index) { MarkerClick(in, index); };
    in.ui.Timer1->Tick = [&in] { Timer1Tick(in); };
    in.ui.Toolbar2->ButtonClick = [&in](int index) { Toolbar2ButtonClick(in, index); };
    in.ui.Kontextmenu->ItemClick = [&in](int index) { KontextClick(in, index); };
    ConnectEditingEvents(in);
    GuardChildEvents(in);
}

void Agendor::InitProperties() {
    InitStoredProperties(*instance_);
    KeepFontViews(s());
}

void Agendor::ReadProperties(PropertyStore& store) {
    ReadStoredProperties(*instance_, store);
    ApplyFont();
    KeepFontViews(s());
    ApplyPermissions(*instance_);
    // A form stored in the week view shows the week's button pressed and
    // offers the month in the menu.
    ShowViewCommands(*instance_);
}

void Agendor::WriteProperties(PropertyStore& store) { WriteStoredProperties(*instance_, store); }

void Agendor::Resize(Twips width, Twips height) { ResizeLayout(*instance_, width, height); }

void Agendor::Notify(const char* name) { instance_->ui.container->PropertyChanged(name); }

void Agendor::ApplyFont() {
    if (instance_->ui.SetSurfaceFont) instance_->ui.SetSurfaceFont(s().font);
    instance_->ui.Grid->SetFont(s().font);
}

DateTime Agendor::DateValue() const { return s().DateValue; }
std::string Agendor::FieldSourcePersonID() const { return s().FieldSourcePersonID; }
std::string Agendor::FieldSourcePerson() const { return s().FieldSourcePerson; }
std::string Agendor::FieldDatesDateID() const { return s().FieldDatesDateID; }
std::string Agendor::FieldDatesDate() const { return s().FieldDatesDate; }
std::string Agendor::FieldDatesPerson() const { return s().FieldDatesPerson; }
std::shared_ptr<agendor::Database> Agendor::Database() const { return s().database; }
std::shared_ptr<agendor::Workspace> Agendor::Workspace() const { return s().workspace; }
std::string Agendor::DataSourcePerson() const { return s().DataSourcePerson; }
std::string Agendor::DataSourceDates() const { return s().DataSourceDates; }
std::string Agendor::Header() const { return s().Header; }
Colour Agendor::BackColor() const { return s().BackColor; }
Colour Agendor::BackColorSel() const { return s().BackColorSel; }
Colour Agendor::BackColorFixed() const { return s().BackColorFixed; }
Colour Agendor::BackcolorPast() const { return s().BackcolorPast; }
std::int32_t Agendor::View() const { return s().View; }
bool Agendor::PublicHoliday() const { return s().PublicHoliday; }
std::string Agendor::Footnote() const { return s().Footnote; }
bool Agendor::AllowPrint() const { return s().AllowPrint; }
bool Agendor::AllowEdit() const { return s().AllowEdit; }
bool Agendor::AllowChangeView() const { return s().AllowChangeView; }
bool Agendor::AllowScroll() const { return s().AllowScroll; }
std::shared_ptr<agendor::Font> Agendor::Font() const { return s().font; }
std::string Agendor::Fontname() const { return s().Fontname; }
std::int16_t Agendor::Fontsize() const { return s().Fontsize; }

void Agendor::SetDateValue(DateTime v) { s().DateValue = CheckedDateValue(v); Notify("DateValue"); }
void Agendor::Refresh() {
    // The host reloads: a new row not stored yet ends without an event.
    EndPendingAppointment(*instance_);
    RefreshControl(*instance_);
}
void Agendor::SetFieldSourcePersonID(const std::string& v) { s().FieldSourcePersonID = v; Notify("FieldSourcePersonID"); }
void Agendor::SetFieldSourcePerson(const std::string& v) { s().FieldSourcePerson = v; Notify("FieldSourcePerson"); }
void Agendor::SetFieldDatesDateID(const std::string& v) { s().FieldDatesDateID = v; Notify("FieldDatesDateID"); }
void Agendor::SetFieldDatesDate(const std::string& v) { s().FieldDatesDate = v; Notify("FieldDatesDate"); }
void Agendor::SetFieldDatesPerson(const std::string& v) { s().FieldDatesPerson = v; Notify("FieldDatesPerson"); }
void Agendor::SetDatabase(std::shared_ptr<agendor::Database> v) { s().database = std::move(v); Notify("Database"); }
void Agendor::SetWorkspace(std::shared_ptr<agendor::Workspace> v) { s().workspace = std::move(v); Notify("Workspace"); }
void Agendor::SetDataSourcePerson(const std::string& v) { s().DataSourcePerson = v; Notify("DataSourcePerson"); }
void Agendor::SetDataSourceDates(const std::string& v) { s().DataSourceDates = v; Notify("DataSourceDates"); }
void Agendor::SetHeader(const std::string& v) { s().Header = v; Notify("Header"); }

void Agendor::SetBackColor(Colour v) {
    s().BackColor = v;
    instance_->ui.GridZoom->SetBackColor(v);
    instance_->ui.Grid->SetBackColor(v);
    Notify("BackColor");
}

void Agendor::SetBackColorSel(Colour v) {
    s().BackColorSel = v;
    instance_->ui.Grid->SetBackColorSel(v);
    instance_->ui.GridZoom->SetBackColorSel(v);
    Notify("BackColorSel");
}

void Agendor::SetBackColorFixed(Colour v) {
    s().BackColorFixed = v;
    instance_->ui.Grid->SetBackColorFixed(v);
    instance_->ui.GridZoom->SetBackColorFixed(v);
    Notify("BackColorFixed");
}

void Agendor::SetBackcolorPast(Colour v) { s().BackcolorPast = v; Notify("BackcolorPast"); }

void Agendor::SetView(std::int32_t v) {
    // A view without a button on Toolbar2 is refused before anything is
    // stored, so the control never holds a view it cannot show.
    if (v < 1 || v > 5) throw Error("Ungültiger Wert für View: " + std::to_string(v) + " (erlaubt sind 1 bis 5)");
    s().View = static_cast<std::int16_t>(v);
    ShowViewCommands(*instance_);
    Notify("View");
    Refresh();
}

void Agendor::SetPublicHoliday(bool v) { s().PublicHoliday = v; Notify("PublicHoliday"); }
void Agendor::SetFootnote(const std::string& v) { s().Footnote = v; Notify("Footnote"); }
void Agendor::SetAllowPrint(bool v) { s().AllowPrint = v; ApplyPermissions(*instance_); Notify("AllowPrint"); }
void Agendor::SetAllowEdit(bool v) { s().AllowEdit = v; ApplyPermissions(*instance_); Notify("AllowEdit"); }
void Agendor::SetAllowChangeView(bool v) { s().AllowChangeView = v; ApplyPermissions(*instance_); Notify("AllowChangeView"); }
void Agendor::SetAllowScroll(bool v) { s().AllowScroll = v; ApplyPermissions(*instance_); Notify("AllowScroll"); }

bool Agendor::PrintSheet(std::optional<std::int16_t> intView) {
    return PrintPage(*instance_, s().DateValue, PrintView(intView, s().View));
}

void Agendor::SetFont(std::shared_ptr<agendor::Font> v) {
    if (!v) throw Error("Ungültiges Schriftobjekt");
    s().font = std::move(v);
    KeepFontViews(s());
    ApplyFont();
    Notify("Font");
    Notify("Fontname");
    Notify("Fontsize");
}

void Agendor::SetFontname(const std::string& v) {
    s().Fontname = v;
    try {
        if (!s().font) throw Error("Kein Schriftobjekt");
        s().font->SetName(v);
        ApplyFont();
    } catch (const std::exception&) {
        // Keep the name the font really has, so Fontname never names a font
        // that is not shown.
        if (s().font) s().Fontname = s().font->Name();
        return;
    }
    Notify("Fontname");
    Notify("Font");
}

void Agendor::SetFontsize(std::int16_t v) {
    if (!s().font) throw Error("Kein Schriftobjekt");
    s().Fontsize = v;
    s().font->SetSize(v);
    ApplyFont();
    Notify("Fontsize");
    Notify("Font");
}

namespace {

using DataSetter = void (Agendor::*)(const std::string&);

template <PropertyUse use, typename Setter>
constexpr DataSetter DataSetterOf(Setter setter) {
    if constexpr (use == PropertyUse::Data) return setter;
    else return nullptr;
}

} // namespace

void Agendor::SetViewWithoutRefresh(std::int32_t v) {
    if (v < 1 || v > 5) throw Error("Ungültiger Wert für View: " + std::to_string(v) + " (erlaubt sind 1 bis 5)");
    s().View = static_cast<std::int16_t>(v);
    ShowViewCommands(*instance_);
    Notify("View");
}

void Agendor::ShowSheet() { BuildSheet(*instance_); }

void Agendor::ReloadKeepingView() {
    Instance& in = *instance_;
    const bool dayGridOpen = in.ui.GridZoom->Visible();
    const std::optional<DateTime> shownDay = s().ShownDay;
    WithErrorBox(in, kLoadDatesError, [&] {
        RefreshControl(in);
        if (dayGridOpen && shownDay) {
            ShowDayOf(in, *shownDay);
            return;
        }
        // The user's day, which the reload left in DateValue; with redraw
        // off the move is the control's own and changes nothing else.
        FlexGrid& grid = *in.ui.Grid;
        const DateTime day = dt::DateOnly(s().DateValue);
        const SheetCell cell = s().View == agMonat ? MonthCellOf(day) : SheetCell{1, dt::Weekday(day) - 1};
        if (cell.row >= grid.Rows()) return;
        const bool redraw = grid.Redraw();
        grid.SetRedraw(false);
        grid.SetCol(cell.col);
        grid.SetRow(cell.row);
        grid.SetRedraw(redraw);
    });
}

void Agendor::ShowDay(DateTime day) { ShowDayOf(*instance_, day); }

bool Agendor::Editing() const {
    return s().NewPending || instance_->ui.txtClock->Visible() || instance_->ui.cboPerson->Visible();
}

bool Agendor::ShowsDay(DateTime day) const {
    const State& st = s();
    day = dt::DateOnly(day);
    if (st.ShownDay && dt::DateOnly(*st.ShownDay) == day) return true;
    const DateTime shown = dt::DateOnly(st.DateValue);
    DateTime first = 0, end = 0;
    if (st.View == agMonat) {
        first = dt::FromYmd(dt::Year(shown), dt::Month(shown), 1);
        end = dt::AddMonths(first, 1);
    } else {
        first = MondayOf(shown);
        end = dt::AddDays(first, 7);
    }
    return day >= first && day < end;
}

std::vector<std::int32_t> Agendor::PersonIds() const {
    if (s().FieldSourcePersonID.empty()) return {};
    return s().PersonIds;
}

void Agendor::SetPrinter(PrinterFactory open) { instance_->ui.OpenPrinter = open ? std::move(open) : backendPrinter_; }

bool Agendor::PrintSheets(DateTime from, DateTime to, std::optional<std::int16_t> intView) {
    return PrintPages(*instance_, from, to, PrintView(intView, s().View));
}

std::vector<StoredAppointment> Agendor::ReadAppointments(DateTime firstDay, DateTime lastDay) const {
    return agendor::ReadAppointments(s(), firstDay, lastDay);
}

std::string Agendor::AppointmentSource() const { return agendor::AppointmentSource(s()); }

std::optional<StoredAppointment> Agendor::DayGridAppointment() const { return agendor::DayGridAppointment(*instance_); }

ImportOutcome Agendor::RaiseDateNewForEach(const std::vector<IncomingAppointment>& appointments,
                                           const std::function<bool(std::size_t, std::size_t)>& proceed) {
    return agendor::RaiseDateNewForEach(*instance_, appointments, proceed);
}

std::string NamedDay(DateTime day) { return HolidayName(day); }

void SetDataProperty(Agendor& control, const std::string& name, const std::string& value) {
    // Every row names a setter of its own, so a property without one does
    // not compile.
#define AGENDOR_SETTER(Name, member, Type, Default, Key, ReadAt, RequiredAt, Use) \
    std::pair{#Name, DataSetterOf<PropertyUse::Use>(&Agendor::Set##Name)},
    static constexpr std::pair<const char*, DataSetter> setters[] = {AGENDOR_PROPERTIES(AGENDOR_SETTER)};
#undef AGENDOR_SETTER
    for (const auto& [known, setter] : setters) {
        if (setter && name == known) {
            (control.*setter)(value);
            return;
        }
    }
    throw Error("\"" + name + "\" ist keine Dateneigenschaft");
}

} // namespace agendor
