#include "agendor/editing/day_grid_interaction.h"

#include <algorithm>

#include "agendor/core/conventions.h"
#include "agendor/data/day_grid.h"
#include "agendor/editing/commands.h"
#include "agendor/editing/edit_helpers.h"
#include "agendor/editing/move_appointment.h"
#include "agendor/editing/person_entry.h"
#include "agendor/editing/time_entry.h"

namespace agendor {

namespace {

constexpr int kKeyEscape = 27;

// The handlers a toolkit calls: an error ends in the box of the editing
// commands, never in the host's event loop.
template <class... Args>
std::function<void(Args...)> Trapped(Instance& instance, void (*handler)(Instance&, Args...)) {
    return [&instance, handler](Args... args) {
        WithErrorBox(instance, kDayGridCommandError, [&] { handler(instance, args...); });
    };
}

} // namespace

void GridZoomClick(Instance& instance) { EditTimeCell(instance); }

bool EditTimeCell(Instance& instance) {
    const State& s = instance.state;
    const FlexGrid& zoom = *instance.ui.GridZoom;
    if (!s.AllowEdit || s.NewPending) return false;
    if (zoom.Col() != 0 || zoom.Row() < 1) return false;
    instance.state.EditRow = static_cast<std::int16_t>(zoom.Row());
    OpenTimeEditor(instance);
    return true;
}

void GridZoomEnterCell(Instance& instance) {
    // The toolbar is always enabled and reachable here; only Delete follows
    // the current cell.
    Toolbar& toolbar = *instance.ui.Toolbar1;
    if (instance.state.NewPending) toolbar.SetButtonEnabled(kButtonDelete, false);
    else if (instance.ui.GridZoom->Col() == 1) toolbar.SetButtonEnabled(kButtonDelete, true);
}

void GridZoomKeyPress(Instance& instance, int& keyAscii) {
    if (keyAscii == kKeyEscape && !instance.ui.txtClock->Visible()) HideDayGrid(instance);
}

void ToolbarTagGotFocus(Instance& instance) { editing::TryFocus(*instance.ui.GridZoom); }

void OpenTimeEditor(Instance& instance) {
    Surface& ui = instance.ui;
    const FlexGrid& zoom = *ui.GridZoom;
    MaskedEdit& clock = *ui.txtClock;
    clock.SetLeft(zoom.Left() + zoom.ColPos(0));
    clock.SetTop(zoom.Top() + zoom.CellTop());
    clock.SetWidth(zoom.ColWidth(0));
    // Every row is as high as the person box at least, which is the day
    // grid's minimum row height.
    clock.SetHeight(std::max(zoom.RowHeight(0), ui.cboPerson->Height()));
    clock.SetText(zoom.Text());
    // What a commit compares with belongs to this row from now on, whatever
    // focus notifications of an earlier row are still on their way.
    instance.state.TimeAtFocus = clock.Text();
    clock.SetVisible(true);
    clock.SetFocus();
}

void ConnectEditingEvents(Instance& instance) {
    Surface& ui = instance.ui;
    ui.Toolbar1->ButtonClick = [&instance](int index) { Toolbar1ButtonClick(instance, index); };
    EditEvents& clock = ui.txtClock->events;
    clock.GotFocus = Trapped(instance, &ClockGotFocus);
    clock.KeyDown = Trapped(instance, &ClockKeyDown);
    clock.Validate = Trapped(instance, &ClockValidate);
    clock.LostFocus = Trapped(instance, &ClockLostFocus);
    EditEvents& person = ui.cboPerson->events;
    person.Change = Trapped(instance, &PersonChange);
    person.KeyDown = Trapped(instance, &PersonKeyDown);
    person.Validate = Trapped(instance, &PersonValidate);
    ui.cboPerson->Click = Trapped(instance, &PersonClick);
    GridEvents& zoom = ui.GridZoom->events;
    zoom.Click = Trapped(instance, &GridZoomClick);
    zoom.EnterCell = Trapped(instance, &GridZoomEnterCell);
    zoom.KeyPress = Trapped(instance, &GridZoomKeyPress);
    zoom.KeyDown = [&instance](int& keyCode, int shift) { GridZoomKeyDown(instance, keyCode, shift); };
    ui.txtToolbarTag->GotFocus = Trapped(instance, &ToolbarTagGotFocus);
}

void DisconnectEditingEvents(Instance& instance) {
    Surface& ui = instance.ui;
    ui.Toolbar1->ButtonClick = nullptr;
    ui.txtClock->events = {};
    ui.cboPerson->events = {};
    ui.cboPerson->Click = nullptr;
    ui.GridZoom->events = {};
    ui.txtToolbarTag->GotFocus = nullptr;
}

} // namespace agendor
