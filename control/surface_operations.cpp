// The operations agendor/platform/surface.h offers a backend's glue, on the
// control's inside.
#include "agendor/control/instance_access.h"
#include "agendor/control/layout.h"
#include "agendor/core/conventions.h"
#include "agendor/data/day_grid.h"
#include "agendor/editing/commands.h"
#include "agendor/editing/day_grid_interaction.h"
#include "agendor/editing/edit_helpers.h"
#include "agendor/editing/move_appointment.h"
#include "agendor/platform/surface.h"
#include "agendor/sheet/descriptions.h"

namespace agendor {

namespace {

std::optional<AppointmentRef> RefOf(const std::optional<State::MoveMark>& mark) {
    if (!mark) return std::nullopt;
    return AppointmentRef{mark->DateID, mark->When};
}

} // namespace

void ShowEscapedError(Container& container, const std::exception& e) {
    Message message;
    message.text = e.what();
    message.title = kErrorBoxTitle;
    message.icon = MessageIcon::Critical;
    message.buttons = MessageButtons::Ok;
    container.MessageBox(message);
}

void ReloadForNewSize(Agendor& control, int row, int col) { ReloadForNewSize(InstanceOf(control), row, col); }

std::optional<DateTime> DateOfSheetCell(const Agendor& control, int row, int col) {
    return DateOfSheetCell(InstanceOf(control), row, col);
}

std::string DayCellDescription(const Agendor& control, int row, int col) {
    std::string text = DayCellDescription(InstanceOf(control), row, col);
    if (!text.empty() && AppointmentMarked(control)) text += ", ein Termin ist zum Verschieben markiert";
    return text;
}

std::string MarkerDescription(const Agendor& control, int markerIndex) {
    return MarkerDescription(InstanceOf(control), markerIndex);
}

std::string DayGridCellDescription(const Agendor& control, int row, int col) {
    return DayGridCellDescription(InstanceOf(control), row, col);
}

void OpenDayGrid(Agendor& control) {
    Instance& in = InstanceOf(control);
    WithErrorBox(in, kSheetCommandError, [&] { ShowDay(in); });
}

void CloseDayGrid(Agendor& control) {
    Instance& in = InstanceOf(control);
    WithErrorBox(in, kDayGridCommandError, [&] { HideDayGrid(in); });
}

bool EditTimeCell(Agendor& control) {
    Instance& in = InstanceOf(control);
    bool opened = false;
    WithErrorBox(in, kDayGridCommandError, [&] { opened = EditTimeCell(in); });
    return opened;
}

void WithDayGridErrorBox(Agendor& control, const std::function<void()>& body) {
    WithErrorBox(InstanceOf(control), kDayGridCommandError, body);
}

bool AppointmentMarked(const Agendor& control) { return InstanceOf(control).state.Cut.has_value(); }

std::optional<AppointmentRef> DayGridRowAppointment(const Agendor& control, int row) {
    const FlexGrid& zoom = *InstanceOf(control).ui.GridZoom;
    if (row < 1 || row >= zoom.Rows()) return std::nullopt;
    const std::string idText = zoom.TextMatrix(row, 3);
    const std::optional<DateTime> when = ParseDayGridDateTime(zoom.TextMatrix(row, 2));
    if (idText.empty() || !when) return std::nullopt;
    try {
        return AppointmentRef{editing::ParseDateId(idText), *when};
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<AppointmentRef> SheetLineAppointment(Agendor& control, DateTime day, int line,
                                                   const std::string& lineText) {
    Instance& in = InstanceOf(control);
    std::optional<State::MoveMark> mark;
    WithErrorBox(in, kDayGridCommandError, [&] { mark = SheetLineAppointment(in, day, line, lineText); });
    return RefOf(mark);
}

bool MoveAppointment(Agendor& control, std::int32_t dateId, DateTime dateOld, DateTime newDay) {
    return MoveAppointment(InstanceOf(control), dateId, dateOld, newDay);
}

} // namespace agendor
