#include "agendor/editing/commands.h"


#include "agendor/control/refresh.h"
#include "agendor/core/conventions.h"
#include "agendor/data/day_grid.h"
#include "agendor/editing/day_grid_interaction.h"
#include "agendor/editing/edit_helpers.h"
#include "agendor/editing/time_entry.h"
#include "agendor/core/date_time.h"

namespace agendor {

namespace {

using editing::ParseDateId;
using editing::TryFocus;


DateTime RequireShownDay(const State& s) {
    if (!s.ShownDay) throw Error("Kein Tag in der Tagesansicht");
    return *s.ShownDay;
}



void DisableDeleteAndSave(Toolbar& toolbar) {
    toolbar.SetButtonEnabled(kButtonDelete, false);
    toolbar.SetButtonEnabled(kButtonSave, false);
}

} // namespace

void Toolbar1ButtonClick(Instance& instance, int index) {
    WithErrorBox(instance, kDayGridCommandError, [&] {
        switch (index) {
        case kButtonDelete: DeleteAppointment(instance); break;
        case kButtonAdd: AddAppointment(instance); break;
        case kButtonSave: SaveAppointment(instance); break;
        default: break;
        }
    });
}

void AddAppointment(Instance& instance) {
    State& s = instance.state;
    Surface& ui = instance.ui;
    // One new row at a time; Add is off while one is pending anyway.
    if (s.NewPending) return;
    const DateTime day = RequireShownDay(s);
    FlexGrid& zoom = *ui.GridZoom;
    zoom.AddItem("__:__");
    s.NewPending = true;
    zoom.SetRow(zoom.Rows() - 1);
    zoom.SetCol(2);
    // The day the day grid shows, whatever cell of the sheet is current now.
    zoom.SetText(std::to_string(dt::Day(day)) + "." + std::to_string(dt::Month(day)) + "." +
                 std::to_string(dt::Year(day)));
    zoom.SetCol(0);
    zoom.SetCellAlignment(CellAlignment::CenterCenter);

    ComboBox& person = *ui.cboPerson;
    person.SetLeft(zoom.Left() + RoundTwips(zoom.Width() * 0.2));
    person.SetWidth(RoundTwips(zoom.Width() * 0.8) - 40);
    person.SetTop(zoom.Top() + zoom.CellTop());
    person.SetText("");
    person.SetVisible(true);

    if (zoom.Row() >= 1) {
        s.EditRow = static_cast<std::int16_t>(zoom.Row());
        OpenTimeEditor(instance);
    }
}

void SaveAppointment(Instance& instance) {
    Surface& ui = instance.ui;
    if (ui.GridZoom->Rows() < 2 && !ui.cboPerson->Visible()) {
        DisableDeleteAndSave(*ui.Toolbar1);
        return;
    }
    const std::string text = ui.txtClock->Text();
    if (!ParseClockTime(text)) {
        RaiseIncorrectTime(instance, text);
        return;
    }
    if (!ui.cboPerson->Text().empty()) CommitNewAppointment(instance);
}

void DeleteAppointment(Instance& instance) {
    State& s = instance.state;
    Surface& ui = instance.ui;
    FlexGrid& zoom = *ui.GridZoom;
    if (zoom.Rows() < 2) {
        DisableDeleteAndSave(*ui.Toolbar1);
        return;
    }
    const int row = zoom.Row();
    if (row < 1) return;
    // The pending row has no id yet: deleting it is dropping it.
    if (s.NewPending && row == zoom.Rows() - 1) {
        EndPendingAppointment(instance);
        return;
    }
    // Only an open time editor can lose the focus to what the host does in
    // DateDel; its commit must not touch the row being deleted.
    s.DeletePending = ui.txtClock->Visible();
    std::int32_t dateId = 0;
    DateTime when = 0;
    std::string person;
    bool cancel = false;
    try {
        zoom.SetCol(1);
        person = zoom.Text();
        zoom.SetCol(2);
        const std::optional<DateTime> parsed = ParseDayGridDateTime(zoom.Text());
        if (!parsed) throw Error("Typen unverträglich: kein Datum \"" + zoom.Text() + "\"");
        when = *parsed;
        zoom.SetCol(3);
        dateId = ParseDateId(zoom.Text());
        if (instance.events.DateDel) instance.events.DateDel(dateId, when, person, cancel);
    } catch (...) {
        s.DeletePending = false;
        throw;
    }
    if (cancel) {
        // The editor stays open with what was typed; its next commit counts.
        s.DeletePending = false;
        return;
    }
    if (ui.txtClock->Visible()) {
        ui.txtClock->SetVisible(false);
        s.SkipLostFocus = true;
    }
    s.DeletePending = false;
    const DateTime day = RequireShownDay(s);
    RefreshControl(instance);
    ShowDayOf(instance, day);
    if (zoom.Rows() < 2) DisableDeleteAndSave(*ui.Toolbar1);
}

void CommitNewAppointment(Instance& instance) {
    WithErrorBox(instance, kDayGridCommandError, [&] {
        State& s = instance.state;
        Surface& ui = instance.ui;
        if (!s.NewPending) return;
        FlexGrid& zoom = *ui.GridZoom;
        const int row = zoom.Rows() - 1;  // the new row is always the last
        // What the editor shows is what the user typed last, committed or not.
        const std::string text = ui.txtClock->Visible() ? ui.txtClock->Text() : zoom.TextMatrix(row, 0);
        const std::optional<ClockTime> time = ParseClockTime(text);
        if (!time) {
            RaiseIncorrectTime(instance, text);
            if (ui.txtClock->Visible()) TryFocus(*ui.txtClock);
            return;
        }
        zoom.SetTextMatrix(row, 0, text);
        const DateTime day = RequireShownDay(s);
        const DateTime when = dt::FromYmdHms(dt::Year(day), dt::Month(day), dt::Day(day), time->hour, time->minute, 0);
        const std::string person = ui.cboPerson->Text();
        const int listIndex = ui.cboPerson->ListIndex();
        std::int32_t personId = -1;
        if (!s.FieldSourcePersonID.empty() && listIndex >= 0 &&
            static_cast<std::size_t>(listIndex) < s.PersonIds.size())
            personId = s.PersonIds[static_cast<std::size_t>(listIndex)];

        ui.Toolbar1->SetButtonEnabled(kButtonSave, false);
        // No longer pending while the host stores it: a second click or
        // Enter that arrives meanwhile finds nothing to store.
        s.NewPending = false;
        bool cancel = false;
        try {
            if (instance.events.DateNew) instance.events.DateNew(when, personId, person, cancel);
        } catch (...) {
            // The host could not store it: the row stays pending as typed,
            // and Save offers to store it again.
            s.NewPending = true;
            ui.Toolbar1->SetButtonEnabled(kButtonSave, true);
            throw;
        }
        if (cancel) {
            HideDayGrid(instance);
            return;
        }
        // The row index is not used again: a host may have reloaded the day
        // grid inside DateNew, and the reload below replaces every row anyway.
        ui.cboPerson->SetVisible(false);
        ui.txtClock->SetVisible(false);
        s.TimeAtFocus = DayGridDateTimeText(when);
        ui.Toolbar1->SetButtonEnabled(kButtonAdd, true);
        // The sheet shows the new appointment at once, however it was
        // committed; then the day grid reloads the day it shows.
        RefreshControl(instance);
        ShowDayOf(instance, day);
    });
}

void EndPendingAppointment(Instance& instance) {
    State& s = instance.state;
    if (!s.NewPending) return;
    s.NewPending = false;
    Surface& ui = instance.ui;
    FlexGrid& zoom = *ui.GridZoom;
    if (zoom.Rows() > 1 && zoom.TextMatrix(zoom.Rows() - 1, 3).empty()) zoom.SetRows(zoom.Rows() - 1);
    ui.txtClock->SetVisible(false);
    ui.cboPerson->SetVisible(false);
    ui.Toolbar1->SetButtonEnabled(kButtonAdd, true);
    ui.Toolbar1->SetButtonEnabled(kButtonSave, false);
    s.EditCancelled = false;
    s.DeletePending = false;
}

} // namespace agendor
