#pragma once
// One instance of the control: the child widgets the host's backend gives it,
// the state every procedure works on, and the host's event handlers.
// The subsystems (sheet/, data/, editing/, printing/) are free functions on it.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agendor/control/properties.h"
#include "agendor/platform/database.h"
#include "agendor/platform/grid.h"
#include "agendor/platform/host.h"
#include "agendor/core/locale.h"
#include "agendor/platform/printer.h"
#include "agendor/platform/widgets.h"
#include "agendor/core_export.h"

namespace agendor {

// agAnsicht
enum agAnsicht : std::int32_t { agWoche = 1, agMonat = 2 };

// The child controls and services, owned by the backend; they outlive the
// control instance.
struct Surface {
    FlexGrid* Grid = nullptr;
    FlexGrid* GridZoom = nullptr;
    Toolbar* Toolbar1 = nullptr;
    Toolbar* Toolbar2 = nullptr;
    TextBox* txtToolbarTag = nullptr;
    MaskedEdit* txtClock = nullptr;
    ComboBox* cboPerson = nullptr;
    Label* lblMonat = nullptr;
    Frame* Frame1 = nullptr;
    MarkerArray* btnVorlage = nullptr;
    PopupMenu* Kontextmenu = nullptr;
    Timer* Timer1 = nullptr;
    Container* container = nullptr;
    TextMetrics* metrics = nullptr;
    const Clock* clock = nullptr;
    const Locale* locale = nullptr;
    // Makes a font the font of the control's own surface (may be empty).
    std::function<void(std::shared_ptr<Font>)> SetSurfaceFont;
    // Opens the system printer for one print run (may be empty: no printer).
    std::function<std::unique_ptr<Printer>()> OpenPrinter;
};

// The host's handlers. Cancel starts False; a handler sets it to refuse.
struct AgendorEvents {
    std::function<void(std::int32_t DateID, DateTime DateOld, DateTime DateNew, bool& Cancel)> DateChange;
    std::function<void(std::int32_t DateID, DateTime DateTime, const std::string& Person, bool& Cancel)> DateDel;
    std::function<void(DateTime DateTime, std::int32_t PersonID, const std::string& Person, bool& Cancel)> DateNew;
    std::function<void(DateTime CurDay)> Click;
    std::function<void(DateTime CurDay)> DblClick;
    std::function<void(const std::string& sTime)> IncorrectTime;
};

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
AGENDOR_CORE_EXPORT void WithErrorBox(Instance& instance, int code, const std::function<void()>& body);

} // namespace agendor
