#include "agendor/editing/move_appointment.h"

#include "agendor/control/refresh.h"
#include "agendor/control/permissions.h"
#include "agendor/core/conventions.h"
#include "agendor/data/day_grid.h"
#include "agendor/editing/commands.h"
#include "agendor/editing/edit_helpers.h"
#include "agendor/core/date_time.h"
#include "agendor/sheet/descriptions.h"

namespace agendor {

namespace {

using editing::ParseDateId;
using editing::TryFocus;

constexpr int kKeyEscape = 27, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40, kKeyV = 86, kKeyX = 88;
constexpr int kShiftCtrl = 2, kShiftAlt = 4;
constexpr Colour kCutColour = 0x808080, kTextColour = 0x000000;

// The rows of the day grid that show the appointment with the id text.
template <class Each>
void ForRowsOf(FlexGrid& zoom, const std::string& idText, Each each) {
    for (int r = 1; r < zoom.Rows(); ++r)
        if (zoom.TextMatrix(r, 3) == idText) each(r);
}

void ColourRow(FlexGrid& zoom, int row, Colour colour) {
    const int r0 = zoom.Row(), c0 = zoom.Col();
    zoom.SetRow(row);
    for (int c : {0, 1}) {
        zoom.SetCol(c);
        zoom.SetCellForeColor(colour);
    }
    zoom.SetRow(r0);
    zoom.SetCol(c0);
}

bool Editing(const Instance& instance) { return instance.ui.txtClock->Visible() || instance.ui.cboPerson->Visible(); }

} // namespace

bool MoveAppointment(Instance& instance, std::int32_t dateId, DateTime dateOld, DateTime newDay) {
    bool accepted = false;
    WithErrorBox(instance, kDayGridCommandError, [&] {
        State& s = instance.state;
        Surface& ui = instance.ui;
        if (!s.AllowEdit) return;
        // As for every other command: a new row not stored yet ends here,
        // before the rows it belongs to are replaced.
        EndPendingAppointment(instance);
        const long day = dt::DayNumber(newDay);
        if (day == dt::DayNumber(dateOld)) return;
        if (day < dt::DayNumber(dt::FromYmd(dt::kMinYear, 1, 1)) || day > dt::DayNumber(dt::FromYmd(dt::kMaxYear, 12, 31)))
            throw Error(kOutsideCalendar);
        // The time of day to the bit: the host finds its record by the very
        // value it stored, and the new one differs by whole days only.
        const DateTime dateNew = dt::Compose(day, dt::TimeFraction(dateOld));
        bool cancel = false;
        if (instance.events.DateChange) instance.events.DateChange(dateId, dateOld, dateNew, cancel);
        // Refused: the mark stays for another day, and nothing shown changes.
        if (cancel) return;
        accepted = true;
        const bool dayGridOpen = ui.GridZoom->Visible();
        EndMoveMark(instance);
        // The day grid follows the appointment, onto another sheet if need be.
        const DateTime target = dt::DateOnly(dateNew);
        if (dayGridOpen && SheetFitsCalendar(target, s.View)) s.DateValue = target;
        RefreshControl(instance);
        if (!dayGridOpen) return;
        ShowDayOf(instance, target);
        FlexGrid& zoom = *ui.GridZoom;
        const std::string idText = std::to_string(dateId);
        ForRowsOf(zoom, idText, [&](int r) { zoom.SetRow(r); });
        TryFocus(zoom);
    });
    return accepted;
}

bool MoveDayGridRow(Instance& instance, int row, long days) {
    bool moved = false;
    WithErrorBox(instance, kDayGridCommandError, [&] {
        FlexGrid& zoom = *instance.ui.GridZoom;
        if (row < 1 || row >= zoom.Rows() || zoom.TextMatrix(row, 3).empty()) return;
        const std::int32_t dateId = ParseDateId(zoom.TextMatrix(row, 3));
        const std::optional<DateTime> when = ParseDayGridDateTime(zoom.TextMatrix(row, 2));
        if (!when) throw Error("Typen unverträglich: kein Datum \"" + zoom.TextMatrix(row, 2) + "\"");
        DateTime target = 0;
        try {
            target = dt::AddDays(dt::DateOnly(*when), days);
        } catch (const Error&) {
            throw Error(kOutsideCalendar);
        }
        moved = MoveAppointment(instance, dateId, *when, target);
    });
    return moved;
}

std::optional<State::MoveMark> SheetLineAppointment(Instance& instance, DateTime day, int line,
                                                    const std::string& lineText) {
    const State& s = instance.state;
    if (line < 1 || !s.database || s.DataSourceDates.empty()) return std::nullopt;
    const std::string literal =
        std::to_string(dt::Month(day)) + "/" + std::to_string(dt::Day(day)) + "/" + std::to_string(dt::Year(day));
    std::unique_ptr<Recordset> records = s.database->OpenRecordset(OneDayQuery(s, literal));
    for (int shown = 0; !records->IsEOF(); records->MoveNext()) {
        const FieldValue when = records->Field(s.FieldDatesDate);
        // Records without a date have no line, on the sheet as in the day grid.
        if (when.IsNull() || ++shown < line) continue;
        const DateTime value = when.AsDateTime();
        if (lineText.rfind(dt::Format(value, "hh:mm", instance.locale()), 0) != 0) return std::nullopt;
        const FieldValue id = records->Field(s.FieldDatesDateID);
        if (id.IsNull()) return std::nullopt;
        return State::MoveMark{ParseDateId(id.AsText()), value};
    }
    return std::nullopt;
}

void GridZoomKeyDown(Instance& instance, int& keyCode, int shift) {
    State& s = instance.state;
    if (keyCode == kKeyEscape && s.Cut && !Editing(instance)) {
        EndMoveMark(instance);
        keyCode = 0;
        return;
    }
    if (!s.AllowEdit || Editing(instance)) return;
    FlexGrid& zoom = *instance.ui.GridZoom;
    if (shift == kShiftAlt && keyCode >= kKeyLeft && keyCode <= kKeyDown) {
        const long days = keyCode == kKeyLeft ? -1 : keyCode == kKeyRight ? 1 : keyCode == kKeyUp ? -7 : 7;
        keyCode = 0;
        MoveDayGridRow(instance, zoom.Row(), days);
    } else if (shift == kShiftCtrl && keyCode == kKeyX) {
        keyCode = 0;
        WithErrorBox(instance, kDayGridCommandError, [&] {
            const int row = zoom.Row();
            if (row < 1 || row >= zoom.Rows() || zoom.TextMatrix(row, 3).empty()) return;
            const std::int32_t dateId = ParseDateId(zoom.TextMatrix(row, 3));
            const std::optional<DateTime> when = ParseDayGridDateTime(zoom.TextMatrix(row, 2));
            if (!when) throw Error("Typen unverträglich: kein Datum \"" + zoom.TextMatrix(row, 2) + "\"");
            EndMoveMark(instance);
            s.Cut = State::MoveMark{dateId, *when};
            ShowMarkedRow(instance);
            // The day to move it to is chosen on the sheet.
            TryFocus(*instance.ui.Grid);
        });
    }
}

void GridKeyDown(Instance& instance, int& keyCode, int shift) {
    State& s = instance.state;
    if (!s.Cut) return;
    if (keyCode == kKeyEscape) {
        EndMoveMark(instance);
        keyCode = 0;
    } else if (shift == kShiftCtrl && keyCode == kKeyV) {
        keyCode = 0;
        const State::MoveMark mark = *s.Cut;
        // A cell that shows no day (after the month's last) takes nothing.
        const FlexGrid& grid = *instance.ui.Grid;
        std::optional<DateTime> day;
        WithErrorBox(instance, kDayGridCommandError, [&] { day = DateOfSheetCell(instance, grid.Row(), grid.Col()); });
        if (day) MoveAppointment(instance, mark.DateID, mark.When, *day);
    }
}

void EndMoveMark(Instance& instance) {
    State& s = instance.state;
    if (!s.Cut) return;
    const std::string idText = std::to_string(s.Cut->DateID);
    s.Cut.reset();
    FlexGrid& zoom = *instance.ui.GridZoom;
    if (zoom.Visible()) ForRowsOf(zoom, idText, [&](int r) { ColourRow(zoom, r, kTextColour); });
}

void ShowMarkedRow(Instance& instance) {
    const State& s = instance.state;
    if (!s.Cut) return;
    FlexGrid& zoom = *instance.ui.GridZoom;
    ForRowsOf(zoom, std::to_string(s.Cut->DateID), [&](int r) { ColourRow(zoom, r, kCutColour); });
}

std::string DayGridCellDescription(const Instance& instance, int row, int col) {
    const FlexGrid& zoom = *instance.ui.GridZoom;
    if (row < 1 || row >= zoom.Rows() || col < 0 || col >= zoom.Cols()) return {};
    std::string text = zoom.TextMatrix(row, col);
    const auto& cut = instance.state.Cut;
    if (cut && zoom.TextMatrix(row, 3) == std::to_string(cut->DateID)) text += ", zum Verschieben markiert";
    return text;
}

} // namespace agendor
