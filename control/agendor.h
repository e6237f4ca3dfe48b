#pragma once
// Agendor: the embeddable appointment-calendar control. A host creates it
// over the child widgets of its backend, hands it a Database and Workspace
// and the names of its persons and appointments tables, and calls Refresh.
// The control never writes to the database: changes reach the host as
// cancellable events (DateNew, DateChange, DateDel).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "agendor/control/instance.h"

namespace agendor {

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

    AgendorEvents& Events() { return instance_.events; }

    DateTime DateValue() const { return s().DateValue; }
    void SetDateValue(DateTime v);
    void Refresh();
    std::string FieldSourcePersonID() const { return s().FieldSourcePersonID; }
    void SetFieldSourcePersonID(const std::string& v);
    std::string FieldSourcePerson() const { return s().FieldSourcePerson; }
    void SetFieldSourcePerson(const std::string& v);
    std::string FieldDatesDateID() const { return s().FieldDatesDateID; }
    void SetFieldDatesDateID(const std::string& v);
    std::string FieldDatesDate() const { return s().FieldDatesDate; }
    void SetFieldDatesDate(const std::string& v);
    std::string FieldDatesPerson() const { return s().FieldDatesPerson; }
    void SetFieldDatesPerson(const std::string& v);
    std::shared_ptr<agendor::Database> Database() const { return s().database; }
    void SetDatabase(std::shared_ptr<agendor::Database> v);
    std::shared_ptr<agendor::Workspace> Workspace() const { return s().workspace; }
    void SetWorkspace(std::shared_ptr<agendor::Workspace> v);
    std::string DataSourcePerson() const { return s().DataSourcePerson; }
    void SetDataSourcePerson(const std::string& v);
    std::string DataSourceDates() const { return s().DataSourceDates; }
    void SetDataSourceDates(const std::string& v);
    std::string Header() const { return s().Header; }
    void SetHeader(const std::string& v);
    Colour BackColor() const { return s().BackColor; }
    void SetBackColor(Colour v);
    Colour BackColorSel() const { return s().BackColorSel; }
    void SetBackColorSel(Colour v);
    Colour BackColorFixed() const { return s().BackColorFixed; }
    void SetBackColorFixed(Colour v);
    Colour BackcolorPast() const { return s().BackcolorPast; }
    void SetBackcolorPast(Colour v);
    // Values outside 1 to 5 are refused with an Error before anything changes.
    std::int32_t View() const { return s().View; }
    void SetView(std::int32_t v);
    bool PublicHoliday() const { return s().PublicHoliday; }
    void SetPublicHoliday(bool v);
    std::string Footnote() const { return s().Footnote; }
    void SetFootnote(const std::string& v);
    bool AllowPrint() const { return s().AllowPrint; }
    void SetAllowPrint(bool v);
    bool AllowEdit() const { return s().AllowEdit; }
    void SetAllowEdit(bool v);
    bool AllowChangeView() const { return s().AllowChangeView; }
    void SetAllowChangeView(bool v);
    bool AllowScroll() const { return s().AllowScroll; }
    void SetAllowScroll(bool v);
    // Prints the month sheet when the effective view (intView, else View) is
    // 2 and the week sheet otherwise.
    void PrintSheet(std::optional<std::int16_t> intView = std::nullopt);
    std::shared_ptr<agendor::Font> Font() const { return s().font; }
    void SetFont(std::shared_ptr<agendor::Font> v);
    std::string Fontname() const { return s().Fontname; }
    void SetFontname(const std::string& v);
    std::int16_t Fontsize() const { return s().Fontsize; }
    void SetFontsize(std::int16_t v);

    // The instance behind the public interface, for the backends and tests.
    Instance& instance() { return instance_; }
    const Instance& instance() const { return instance_; }

private:
    State& s() { return instance_.state; }
    const State& s() const { return instance_.state; }
    void Initialize();
    void ConnectChildEvents();
    void Notify(const char* name);
    void ApplyFont();

    Instance instance_;
};

// Sets one of the seven data properties by its name ("DataSourcePerson",
// "FieldSourcePersonID", ...), as hosts read them from a settings file.
// Raises Error for a name that is no data property.
AGENDOR_CORE_EXPORT void SetDataProperty(Agendor& control, const std::string& name, const std::string& value);

// True when loading may go ahead; otherwise shows "Set Property <name> first!".
bool CheckRequiredProperties(Instance& instance);
// Rebuild driver: permissions, required-property check, sheet, appointments, persons.
void RefreshControl(Instance& instance);

} // namespace agendor
