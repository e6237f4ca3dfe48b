#include "agendor/editing/time_entry.h"


#include "agendor/control/refresh.h"
#include "agendor/data/day_grid.h"
#include "agendor/editing/commands.h"
#include "agendor/editing/edit_helpers.h"
#include "agendor/core/date_time.h"

namespace agendor {

namespace {

using editing::ParseDateId;
using editing::TryFocus;

constexpr int kKeyEnter = 13, kKeyEscape = 27;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }



// Esc in an editor: a pending new row is dropped, an open time edit of a
// stored row is discarded.
void DiscardTimeEdit(Instance& instance) {
    State& s = instance.state;
    Surface& ui = instance.ui;
    if (s.NewPending) {
        s.NewPending = false;
        FlexGrid& zoom = *ui.GridZoom;
        zoom.SetRow(zoom.Rows() - 1);
        zoom.SetCol(1);
        zoom.SetText("");
        zoom.SetRows(zoom.Rows() - 1);
        ui.txtClock->SetVisible(false);
        ui.cboPerson->SetVisible(false);
        ui.Toolbar1->SetButtonEnabled(kButtonAdd, true);
        ui.Toolbar1->SetButtonEnabled(kButtonSave, false);
        TryFocus(zoom);
        s.SkipLostFocus = true;
        // EditCancelled stays set: the lost focus this causes clears it.
        return;
    }
    s.EditCancelled = false;
    ui.txtClock->SetVisible(false);
    ui.Toolbar1->SetButtonEnabled(kButtonAdd, true);
    s.SkipLostFocus = true;
}

// A stored row gets the typed time: DateChange with the stored date-time
// and the same day at the typed time.
void CommitStoredRow(Instance& instance, const std::string& text, ClockTime time) {
    State& s = instance.state;
    Surface& ui = instance.ui;
    FlexGrid& zoom = *ui.GridZoom;
    const int row = s.EditRow;
    // Everything the event carries is read before anything changes, so a
    // row that cannot be announced is left as it is.
    const std::int32_t dateId = ParseDateId(zoom.TextMatrix(row, 3));
    const std::optional<DateTime> dateOld = ParseDayGridDateTime(zoom.TextMatrix(row, 2));
    if (!dateOld) throw Error("Typen unverträglich: kein Datum \"" + zoom.TextMatrix(row, 2) + "\"");

    const int r0 = zoom.Row(), c0 = zoom.Col();
    zoom.SetRow(row);
    zoom.SetCol(0);
    zoom.SetText(text);
    zoom.SetRow(r0);
    zoom.SetCol(c0);
    ui.txtClock->SetVisible(false);
    if (s.TimeAtFocus != text) {
        // Only the time changes; the day is the stored one, put together
        // from numbers, never from a date text of the locale.
        const DateTime dateNew =
            dt::FromYmdHms(dt::Year(*dateOld), dt::Month(*dateOld), dt::Day(*dateOld), time.hour, time.minute, 0);
        const bool deleteEnabled = ui.Toolbar1->Button(kButtonDelete).enabled;
        ui.Toolbar1->SetButtonEnabled(kButtonDelete, false);
        const std::string idText = zoom.TextMatrix(row, 3);
        // The host may have reloaded the day grid meanwhile: the row is
        // written only while it still holds the appointment announced.
        auto sameRow = [&] { return row < zoom.Rows() && zoom.TextMatrix(row, 3) == idText; };
        auto showStored = [&] {
            if (sameRow()) zoom.SetTextMatrix(row, 0, dt::Format(*dateOld, "hh:mm", instance.locale()));
        };
        bool cancel = false;
        s.SkipLostFocus = true;
        try {
            if (instance.events.DateChange) instance.events.DateChange(dateId, *dateOld, dateNew, cancel);
        } catch (...) {
            // Nothing was stored: the row and the toolbar as before the edit.
            showStored();
            ui.Toolbar1->SetButtonEnabled(kButtonDelete, deleteEnabled);
            ui.Toolbar1->SetButtonEnabled(kButtonAdd, true);
            throw;
        }
        if (cancel) {
            // The row shows what is stored, never a time the host refused.
            showStored();
        } else {
            // A later change or delete of this row starts from the new time.
            if (sameRow()) zoom.SetTextMatrix(row, 2, DayGridDateTimeText(dateNew));
            RefreshControl(instance);
        }
    }
    ui.Toolbar1->SetButtonEnabled(kButtonAdd, true);
}

} // namespace

std::optional<ClockTime> ParseClockTime(std::string_view text) {
    if (text.size() != 5 || text[2] != ':') return std::nullopt;
    for (std::size_t i : {0u, 1u, 3u, 4u})
        if (!IsDigit(text[i])) return std::nullopt;
    const int hour = (text[0] - '0') * 10 + (text[1] - '0');
    const int minute = (text[3] - '0') * 10 + (text[4] - '0');
    if (hour > 23 || minute > 59) return std::nullopt;
    return ClockTime{hour, minute};
}

void RaiseIncorrectTime(Instance& instance, const std::string& text) {
    if (instance.events.IncorrectTime) instance.events.IncorrectTime(text);
}

void ClockGotFocus(Instance& instance) {
    State& s = instance.state;
    Toolbar& toolbar = *instance.ui.Toolbar1;
    if (!s.NewPending) toolbar.SetButtonEnabled(kButtonDelete, true);
    toolbar.SetButtonEnabled(kButtonAdd, false);
    s.TimeAtFocus = instance.ui.txtClock->Text();
    s.SkipLostFocus = false;
}

void ClockKeyDown(Instance& instance, int keyCode, int /*shift*/) {
    Surface& ui = instance.ui;
    if (keyCode == kKeyEnter) {
        const std::string text = ui.txtClock->Text();
        if (!ParseClockTime(text)) {
            RaiseIncorrectTime(instance, text);
            return;
        }
        TryFocus(ui.cboPerson->Visible() ? static_cast<Widget&>(*ui.cboPerson) : *ui.GridZoom);
        CommitTime(instance);
    } else if (keyCode == kKeyEscape) {
        ui.txtClock->SetVisible(false);
        instance.state.EditCancelled = true;
        CommitTime(instance);
    }
}

void ClockValidate(Instance& instance, bool& cancel) {
    // A closed editor (the day grid refilled or hidden under it) has nothing
    // left to check.
    if (!instance.ui.txtClock->Visible()) return;
    if (instance.state.EditCancelled) return;
    const std::string text = instance.ui.txtClock->Text();
    if (!ParseClockTime(text)) {
        RaiseIncorrectTime(instance, text);
        cancel = true;
        return;
    }
    // The focus is about to leave, and a toolkit may handle the click that
    // takes it before it reports the loss: the time is committed now, for
    // the row it was typed into, and the lost focus that follows finds it
    // done.
    CommitTime(instance);
    instance.state.SkipLostFocus = true;
}

void ClockLostFocus(Instance& instance) {
    State& s = instance.state;
    if (s.EditCancelled) {
        s.EditCancelled = false;
        return;
    }
    if (s.SkipLostFocus) {
        s.SkipLostFocus = false;
        return;
    }
    // The editor was closed under the focus (the day grid refilled, hidden
    // or a new appointment stored): what it showed belongs to no row now.
    if (!instance.ui.txtClock->Visible()) return;
    CommitTime(instance);
}

void CommitTime(Instance& instance) {
    State& s = instance.state;
    Surface& ui = instance.ui;
    if (s.EditCancelled) {
        DiscardTimeEdit(instance);
        return;
    }
    const std::string text = ui.txtClock->Text();
    const std::optional<ClockTime> time = ParseClockTime(text);
    if (s.NewPending) {
        if (time) {
            FlexGrid& zoom = *ui.GridZoom;
            zoom.SetRow(s.EditRow);
            zoom.SetCol(0);
            zoom.SetText(text);
            s.SkipLostFocus = true;
        } else {
            RaiseIncorrectTime(instance, text);
            if (ui.txtClock->Visible()) TryFocus(*ui.txtClock);
        }
        return;
    }
    if (s.DeletePending) {
        s.DeletePending = false;
        ui.txtClock->SetVisible(false);
        s.SkipLostFocus = true;
        return;
    }
    if (!time) {
        RaiseIncorrectTime(instance, text);
        if (ui.txtClock->Visible()) TryFocus(*ui.txtClock);
        return;
    }
    CommitStoredRow(instance, text, *time);
}

} // namespace agendor
