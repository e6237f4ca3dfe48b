#pragma once
// One instance of the control: the child widgets the host's backend gives it,
// the state every procedure works on, and the host's event handlers.
// The subsystems (sheet/, data/, editing/, printing/) are free functions on
// it. Inside the library only: neither installed nor exported.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agendor/core/properties.h"
#include "agendor/core/locale.h"
#include "agendor/platform/database.h"
#include "agendor/platform/events.h"
#include "agendor/platform/surface.h"

namespace agendor {

struct State {
    // Backing the public properties (control/properties.h).
    AGENDOR_PROPERTIES(AGENDOR_PROPERTY_MEMBER)

    // Shared between the subsystems.
    std::int16_t SavedRow = 0, SavedCol = 0;
    bool PopupShown = false;
    bool MenuEnabled = false;
    bool TodayOnSheet = false;
    std::int16_t TodayRow = 0, TodayCol = 0;
    std::int32_t SheetColWidth = 0;
    // 32-bit: a day with tens of thousands of appointments must not overflow.
    std::int32_t MarkerCount = 0;
    // Appointments of each day of the sheet by serial day number, counted
    // while the sheet loads; what a screen reader tells of a cell.
    std::map<long, int> AppointmentsPerDay;
    std::vector<std::int32_t> PersonIds;
    std::unique_ptr<Recordset> PersonRecords;
    // Editing in the day grid.
    bool NewPending = false;     // a row added by Add is not stored yet
    bool DeletePending = false;  // Delete announced while the time editor was open
    std::int16_t EditRow = 0;    // the day-grid row the time editor edits
    std::string TimeAtFocus;     // txtClock's text when it last got the focus
    bool EditCancelled = false;  // Esc in an editor: the next time commit discards
    bool SkipLostFocus = false;  // the next lost focus of txtClock follows a commit
    bool KeepFocus = false;      // a deferred refresh runs: the focus stays where the user put it
    // The day the day grid shows since the last ShowDay; what acts on "the
    // shown day" uses it rather than the sheet's current cell, which a reload
    // may have moved.
    std::optional<DateTime> ShownDay;
    // An appointment marked for moving (Ctrl+X in the day grid), moved by
    // Ctrl+V on the sheet's current day; Esc ends the mark.
    struct MoveMark {
        std::int32_t DateID = 0;
        DateTime When = 0;
    };
    std::optional<MoveMark> Cut;
    std::int16_t LastPrintRow = 0, LastPrintCol = 0;
};

struct Instance {
    Surface ui;
    State state;
    AgendorEvents events;

    const Locale& locale() const { return *ui.locale; }
    DateTime Today() const { return ui.clock->Today(); }
};

// The control's error box: critical icon, title "Agendor3.ocx", text
// "Agendor-Fehlercode N", CR LF and the description.
void ShowErrorBox(Instance& instance, int code, const std::string& description);
// Runs body; an error it raises is shown as the error box with code.
void WithErrorBox(Instance& instance, int code, const std::function<void()>& body);

} // namespace agendor
