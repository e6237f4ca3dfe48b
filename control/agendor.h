#pragma once
// Agendor: the embeddable appointment-calendar control. A host creates it
// over the child widgets of its backend, hands it a Database and Workspace
// and the names of its persons and appointments tables, and calls Refresh.
// The control never writes to the database: changes reach the host as
// cancellable events (DateNew, DateChange, DateDel).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agendor/core_export.h"
#include "agendor/platform/database.h"
#include "agendor/platform/events.h"
#include "agendor/platform/host.h"
#include "agendor/platform/printer.h"
#include "agendor/platform/types.h"
#include "agendor/platform/widgets.h"

namespace agendor {

// The child widgets and services a backend composes the control over
// (agendor/platform/surface.h).
struct Surface;
// The control's inside; not part of the host's interface.
struct Instance;
struct State;

class AGENDOR_CORE_EXPORT Agendor {
public:
    // Composes the control over the widgets of surface and runs Initialize.
    explicit Agendor(const Surface& surface);
    Agendor(const Agendor&) = delete;
    Agendor& operator=(const Agendor&) = delete;
    ~Agendor();

    // Container lifecycle.
    void InitProperties();
    void ReadProperties(PropertyStore& store);
    void WriteProperties(PropertyStore& store);
    // The container changed the control's inner size (twips).
    void Resize(Twips width, Twips height);

    AgendorEvents& Events();

    DateTime DateValue() const;
    void SetDateValue(DateTime v);
    void Refresh();
    std::string FieldSourcePersonID() const;
    void SetFieldSourcePersonID(const std::string& v);
    std::string FieldSourcePerson() const;
    void SetFieldSourcePerson(const std::string& v);
    std::string FieldDatesDateID() const;
    void SetFieldDatesDateID(const std::string& v);
    std::string FieldDatesDate() const;
    void SetFieldDatesDate(const std::string& v);
    std::string FieldDatesPerson() const;
    void SetFieldDatesPerson(const std::string& v);
    std::shared_ptr<agendor::Database> Database() const;
    void SetDatabase(std::shared_ptr<agendor::Database> v);
    std::shared_ptr<agendor::Workspace> Workspace() const;
    void SetWorkspace(std::shared_ptr<agendor::Workspace> v);
    std::string DataSourcePerson() const;
    void SetDataSourcePerson(const std::string& v);
    std::string DataSourceDates() const;
    void SetDataSourceDates(const std::string& v);
    std::string Header() const;
    void SetHeader(const std::string& v);
    Colour BackColor() const;
    void SetBackColor(Colour v);
    Colour BackColorSel() const;
    void SetBackColorSel(Colour v);
    Colour BackColorFixed() const;
    void SetBackColorFixed(Colour v);
    Colour BackcolorPast() const;
    void SetBackcolorPast(Colour v);
    // Values outside 1 to 5 are refused with an Error before anything changes.
    std::int32_t View() const;
    void SetView(std::int32_t v);
    bool PublicHoliday() const;
    void SetPublicHoliday(bool v);
    std::string Footnote() const;
    void SetFootnote(const std::string& v);
    bool AllowPrint() const;
    void SetAllowPrint(bool v);
    bool AllowEdit() const;
    void SetAllowEdit(bool v);
    bool AllowChangeView() const;
    void SetAllowChangeView(bool v);
    bool AllowScroll() const;
    void SetAllowScroll(bool v);
    // Prints the month sheet when the effective view (intView, else View) is
    // 2 and the week sheet otherwise.
    // False when no page was printed (no printer, an error in the box).
    bool PrintSheet(std::optional<std::int16_t> intView = std::nullopt);
    std::shared_ptr<agendor::Font> Font() const;
    void SetFont(std::shared_ptr<agendor::Font> v);
    std::string Fontname() const;
    void SetFontname(const std::string& v);
    std::int16_t Fontsize() const;
    void SetFontsize(std::int16_t v);

    // What hosts do beyond the properties.

    // Sets View without loading the sheet again: for a host that sets View
    // before the data properties and then calls Refresh once. The view's
    // button and menu item show it at once. Values outside 1 to 5 are
    // refused with an Error.
    void SetViewWithoutRefresh(std::int32_t v);
    // Builds the empty sheet of DateValue and View, without the database:
    // the days, named days and colours, no appointments.
    void ShowSheet();
    // Refresh for changes made elsewhere: loads the sheet, the appointments
    // and the persons again and keeps what the person sees, the selected day
    // and an open day grid (shown again for its day). An error is shown as
    // the control's error box and goes no further.
    void ReloadKeepingView();
    // Opens the day grid for day: selects the day's cell when the sheet shows
    // it, then fills, titles and shows the day grid for that day.
    void ShowDay(DateTime day);
    // Whether the person has begun something a reload would throw away: a
    // new row not stored yet, the time editor or the person box open.
    bool Editing() const;
    // Whether the control shows day: a day of the sheet loaded (the week or
    // month of DateValue) or the day the day grid showed last.
    bool ShowsDay(DateTime day) const;
    // The ids of the persons in the person box, in its order, as the last
    // Refresh loaded them; empty when FieldSourcePersonID is not set.
    std::vector<std::int32_t> PersonIds() const;

    // Where printed pages go: open makes the device for one print run; an
    // empty one gives the backend's own printer back.
    void SetPrinter(PrinterFactory open);
    // Prints the sheets of the days from..to (both included), one page per
    // week or month of the effective view; false when nothing was printed.
    bool PrintSheets(DateTime from, DateTime to, std::optional<std::int16_t> intView = std::nullopt);

    // Appointments for other calendars and from them; the control itself
    // writes nothing.
    // The appointments of the days firstDay..lastDay (both included) in
    // date-time order, by one range query. Raises Error when DataSourceDates,
    // FieldDatesDate or the database is missing or the engine fails.
    std::vector<StoredAppointment> ReadAppointments(DateTime firstDay, DateTime lastDay) const;
    // What makes an appointment id unique beyond the control: the database
    // (a file by its canonical path) and the appointments table.
    std::string AppointmentSource() const;
    // The stored appointment of the day grid's current row; nullopt when the
    // day grid is hidden, has no rows, or the row is a new one.
    std::optional<StoredAppointment> DayGridAppointment() const;
    // Raises DateNew once per appointment in the given order, the person
    // matched by name against the person box (PersonID -1 when none has it).
    // proceed(done, total) is asked before each; false stops. The caller
    // reloads once afterwards.
    ImportOutcome RaiseDateNewForEach(const std::vector<IncomingAppointment>& appointments,
                                      const std::function<bool(std::size_t done, std::size_t total)>& proceed = {});

private:
    friend Instance& InstanceOf(Agendor& control);
    friend const Instance& InstanceOf(const Agendor& control);
    State& s();
    const State& s() const;
    void Initialize();
    void ConnectChildEvents();
    void Notify(const char* name);
    void ApplyFont();

    std::unique_ptr<Instance> instance_;
    // The backend's own printer, which SetPrinter with an empty one restores.
    PrinterFactory backendPrinter_;
};

// Sets one of the seven data properties by its name ("DataSourcePerson",
// "FieldSourcePersonID", ...), as hosts read them from a settings file.
// Raises Error for a name that is no data property.
AGENDOR_CORE_EXPORT void SetDataProperty(Agendor& control, const std::string& name, const std::string& value);

// The name of a named day ("Neujahr", "1. Advent", ...), empty for a day
// without one.
AGENDOR_CORE_EXPORT std::string NamedDay(DateTime day);

} // namespace agendor
