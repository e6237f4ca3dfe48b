#pragma once
// A control on the in-memory surface with an in-memory database that
// answers the control's query texts from a list of appointments and persons,
// as the engine would: the range and one-day queries are filtered by their
// #m/d/yyyy# literals and sorted by date-time.
#include <algorithm>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/control/instance_access.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/database.h"
#include "agendor/platform/memory/surface.h"
#include "tests/support/test_control.h"

namespace agendor::testing {

struct Appointment {
    std::int64_t id;
    std::optional<DateTime> when;  // nullopt: a record with a null date
    std::optional<std::string> person;
};

struct Person {
    std::optional<std::int64_t> id;
    std::string name;
};

inline DateTime At(int year, int month, int day, int hour = 0, int minute = 0) {
    return dt::FromYmdHms(year, month, day, hour, minute, 0);
}

inline memory::Row AppointmentRow(const Appointment& a) {
    memory::Row row;
    row["TerminID"] = FieldValue(a.id);
    row["Datum"] = a.when ? FieldValue(*a.when) : FieldValue();
    row["Person"] = a.person ? FieldValue(*a.person) : FieldValue();
    return row;
}

// Every #m/d/yyyy# literal of a query text, in order.
inline std::vector<DateTime> Literals(const std::string& text) {
    static const std::regex literal(R"(#(\d+)/(\d+)/(\d+)#)");
    std::vector<DateTime> dates;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), literal); it != std::sregex_iterator(); ++it) {
        dates.push_back(dt::FromYmd(std::stoi((*it)[3]), std::stoi((*it)[1]), std::stoi((*it)[2])));
    }
    return dates;
}

class AppointmentFixture {
public:
    explicit AppointmentFixture(DateTime now = memory::kDefaultNow)
        : surface(now), control(surface.surface()) {
        testing::SetUpTestControl(control);
        control.SetWorkspace(std::make_shared<memory::MemoryWorkspace>());
        control.SetDatabase(database);
        database->SetResponder([this](const std::string& text) { return Answer(text); });
        surface.container.ClearRecords();
    }

    // Rows a query text stands for: persons, one day, or a range.
    memory::Rows Answer(const std::string& text) {
        memory::Rows rows;
        if (text.rfind("SELECT Personen.", 0) == 0) {
            for (const Person& p : persons) {
                memory::Row row;
                row["Name"] = FieldValue(p.name);
                row["PersonID"] = p.id ? FieldValue(*p.id) : FieldValue();
                rows.push_back(row);
            }
            return rows;
        }
        const std::vector<DateTime> dates = Literals(text);
        if (dates.empty() || dates.size() > 2) throw Error("Unbekannte Abfrage: " + text);
        // One day, a range, or the last sheet of the calendar, which has no end to name.
        const DateTime from = dates[0];
        const DateTime to = dates.size() == 2                               ? dates[1]
                            : text.find("DateValue(") != std::string::npos ? dt::AddDays(from, 1)
                                                                            : 1e9;
        std::vector<Appointment> chosen;
        for (const Appointment& a : appointments) {
            // Null dates are neither in nor out of a range in SQL; the
            // fixture hands them over to test that the control skips them.
            if (!a.when || (*a.when >= from && *a.when < to)) chosen.push_back(a);
        }
        std::stable_sort(chosen.begin(), chosen.end(), [](const Appointment& x, const Appointment& y) {
            return x.when.value_or(-1e9) < y.when.value_or(-1e9);
        });
        for (const Appointment& a : chosen) rows.push_back(AppointmentRow(a));
        return rows;
    }

    Instance& in() { return InstanceOf(control); }
    State& state() { return InstanceOf(control).state; }
    const std::vector<Message>& messages() const { return surface.container.Messages(); }
    std::vector<std::string> queries() const { return database->queries(); }

    // The cell text of the sheet's (row, col), its lines split at CR.
    std::vector<std::string> CellLines(int row, int col) const { return surface.Grid.CellLines(row, col); }

    std::vector<Appointment> appointments;
    std::vector<Person> persons{{1, "Albers"}, {2, "Meier"}};
    memory::MemorySurface surface;
    std::shared_ptr<memory::MemoryDatabase> database = std::make_shared<memory::MemoryDatabase>();
    Agendor control;
};

} // namespace agendor::testing
