#pragma once
// What a backend needs of the core, and nothing else: the child widgets it
// composes the control over, the widgets as designed (toolbar buttons, the
// context menu, the marker's arrow), and the operations its own glue (resize
// handling, screen-reader texts, keys, dragging) calls on the control. A
// backend includes the platform interfaces, this header and the core's value
// headers (agendor/core/), never the control's inside.
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agendor/core/grid_cells.h"
#include "agendor/core/locale.h"
#include "agendor/core_export.h"
#include "agendor/platform/events.h"
#include "agendor/platform/grid.h"
#include "agendor/platform/host.h"
#include "agendor/platform/printer.h"
#include "agendor/platform/widgets.h"

namespace agendor {

class Agendor;

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
    PrinterFactory OpenPrinter;
};

// The child controls as designed, built the same way by every backend.
// Toolbar1: delete, add, save.
AGENDOR_CORE_EXPORT std::vector<ToolbarButton> DayGridButtons();
// Toolbar2: week and month (a group), back, forward, print.
AGENDOR_CORE_EXPORT std::vector<ToolbarButton> SheetButtons();
// Kontext, items 1 to 7.
AGENDOR_CORE_EXPORT std::vector<MenuItem> ContextItems();
// The 14 x 13 pixel arrow of the markers, row by row from the top: ' ' white,
// 'B' black, 'T' teal (RGB 0, 128, 128). Backends draw the picture from it.
extern AGENDOR_CORE_EXPORT const char* const kMarkerArrow[13];

// Once the size has settled after one or more resizes: loads the sheet
// again for the new columns and keeps DateValue, the highlighted cell (row,
// col, as it was before the first of the resizes) and an open day grid.
AGENDOR_CORE_EXPORT void ReloadForNewSize(Agendor& control, int row, int col);

// What a screen reader says. The date (midnight) of the sheet cell (row,
// col); nullopt for the header row or a cell that shows no day.
AGENDOR_CORE_EXPORT std::optional<DateTime> DateOfSheetCell(const Agendor& control, int row, int col);
// "Sonntag, 6. Dezember 2026, 2. Advent, 3 Termine", with ", ein Termin ist
// zum Verschieben markiert" while one is; empty for a cell without a day.
AGENDOR_CORE_EXPORT std::string DayCellDescription(const Agendor& control, int row, int col);
// "Weitere Termine am 6. Dezember" for a marker; empty for none.
AGENDOR_CORE_EXPORT std::string MarkerDescription(const Agendor& control, int markerIndex);
// A day-grid cell's text, "zum Verschieben markiert" after the marked row's.
AGENDOR_CORE_EXPORT std::string DayGridCellDescription(const Agendor& control, int row, int col);

// The keyboard's path through the control. Each shows an error in the
// control's error box and goes no further.
// Opens the day grid of the sheet's current cell.
AGENDOR_CORE_EXPORT void OpenDayGrid(Agendor& control);
// Closes the day grid (a pending new row ends without an event).
AGENDOR_CORE_EXPORT void CloseDayGrid(Agendor& control);
// Opens the time editor on the day grid's current row; false when it did
// not open (no stored row, AllowEdit off).
AGENDOR_CORE_EXPORT bool EditTimeCell(Agendor& control);
// Runs a step of the backend's own on the day grid; an error it raises is
// shown as the error box of the day grid's commands.
AGENDOR_CORE_EXPORT void WithDayGridErrorBox(Agendor& control, const std::function<void()>& body);
// Shows an error that escaped one of the backend's own entry points (a
// resize, a design-time property) as the control's box: critical, with the
// control's title and the error's description.
AGENDOR_CORE_EXPORT void ShowEscapedError(Container& container, const std::exception& e);
// Whether an appointment is marked for moving (Ctrl+X); Esc ends the mark.
AGENDOR_CORE_EXPORT bool AppointmentMarked(const Agendor& control);

// Moving an appointment by dragging it.
struct AppointmentRef {
    std::int32_t DateID = 0;
    DateTime When = 0;
};
// The stored appointment of a day-grid row; nullopt for the header or a
// row not stored yet.
AGENDOR_CORE_EXPORT std::optional<AppointmentRef> DayGridRowAppointment(const Agendor& control, int row);
// The appointment of line `line` (1 the first under the day number) of the
// day's sheet cell, whose text is lineText; nullopt when the line no longer
// shows it. An error ends in the error box.
AGENDOR_CORE_EXPORT std::optional<AppointmentRef> SheetLineAppointment(Agendor& control, DateTime day, int line,
                                                                       const std::string& lineText);
// Raises DateChange to move the appointment to newDay at its time of day;
// true when the host accepted. Errors end in the error box.
AGENDOR_CORE_EXPORT bool MoveAppointment(Agendor& control, std::int32_t dateId, DateTime dateOld, DateTime newDay);

} // namespace agendor
