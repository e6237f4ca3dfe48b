#include "agendor/editing/appointment_exchange.h"

#include <filesystem>
#include <map>

#include "agendor/core/conventions.h"
#include "agendor/data/day_grid.h"
#include "agendor/core/date_time.h"

namespace agendor {

std::vector<StoredAppointment> ReadAppointments(const State& s, DateTime firstDay, DateTime lastDay) {
    if (!s.database) throw Error("Kein Database-Objekt übergeben");
    if (s.DataSourceDates.empty() || s.FieldDatesDate.empty())
        throw Error("Set Property <" + std::string(s.DataSourceDates.empty() ? "DataSourceDates" : "FieldDatesDate") +
                    "> first!");
    const std::string& t = s.DataSourceDates;
    const std::string& f = s.FieldDatesDate;
    const DateTime first = dt::DateOnly(firstDay);
    const DateTime last = dt::DateOnly(lastDay);
    // After 31 Dec 9999 no day can be written: the range stays open.
    const std::string upTo =
        dt::Year(last) == dt::kMaxYear && dt::Month(last) == 12 && dt::Day(last) == 31
            ? std::string()
            : " And (" + t + "." + f + ")<#" + DateLiteral(dt::AddDays(last, 1)) + "#";
    const std::string query = "SELECT * " + std::string(" From ") + t + " WHERE (((" + t + "." + f + ")>=#" +
                              DateLiteral(first) + "#" + upTo + "))" + " ORDER BY " + t + "." + f;
    std::unique_ptr<Recordset> records = s.database->CreateQueryDef("", query)->OpenRecordset(RecordsetType::Snapshot);
    std::vector<StoredAppointment> out;
    while (!records->IsEOF()) {
        const FieldValue when = records->Field(f);
        if (!when.IsNull()) {
            StoredAppointment a;
            a.when = when.AsDateTime();
            if (!s.FieldDatesDateID.empty()) a.id = TextOrEmpty(records->Field(s.FieldDatesDateID));
            if (!s.FieldDatesPerson.empty()) a.person = TextOrEmpty(records->Field(s.FieldDatesPerson));
            out.push_back(std::move(a));
        }
        records->MoveNext();
    }
    return out;
}

std::string AppointmentSource(const State& s) {
    std::string database = s.database ? s.database->Name() : std::string();
    std::error_code error;
    if (!database.empty() && std::filesystem::is_regular_file(database, error)) {
        const std::filesystem::path canonical = std::filesystem::canonical(database, error);
        if (!error) database = canonical.string();
    }
    return database + "|" + s.DataSourceDates;
}

std::optional<StoredAppointment> DayGridAppointment(const Instance& instance) {
    const FlexGrid& grid = *instance.ui.GridZoom;
    const int row = grid.Row();
    if (!grid.Visible() || row < 1 || row >= grid.Rows()) return std::nullopt;
    const std::string id = grid.TextMatrix(row, 3);
    const std::optional<DateTime> when = ParseDayGridDateTime(grid.TextMatrix(row, 2));
    if (id.empty() || !when) return std::nullopt;
    return StoredAppointment{id, *when, grid.TextMatrix(row, 1)};
}

ImportOutcome RaiseDateNewForEach(Instance& instance, const std::vector<IncomingAppointment>& appointments,
                                  const std::function<bool(std::size_t, std::size_t)>& proceed) {
    const State& s = instance.state;
    const ComboBox& box = *instance.ui.cboPerson;
    // The first entry of a name, as choosing it in the box would find it.
    std::map<std::string, std::int32_t> idOf;
    for (int k = box.ListCount() - 1; k >= 0; --k) {
        const auto position = static_cast<std::size_t>(k);
        const bool known = !s.FieldSourcePersonID.empty() && position < s.PersonIds.size();
        idOf[box.List(k)] = known ? s.PersonIds[position] : -1;
    }
    ImportOutcome outcome;
    const std::size_t total = appointments.size();
    for (std::size_t i = 0; i < total; ++i) {
        if (proceed && !proceed(i, total)) {
            outcome.stopped = true;
            break;
        }
        const IncomingAppointment& a = appointments[i];
        const auto found = idOf.find(a.person);
        const std::int32_t personId = found == idOf.end() ? -1 : found->second;
        bool cancel = false;
        try {
            if (instance.events.DateNew) instance.events.DateNew(a.when, personId, a.person, cancel);
        } catch (const std::exception& e) {
            outcome.error = e.what();
            break;
        }
        ++(cancel ? outcome.cancelled : outcome.taken);
    }
    return outcome;
}

} // namespace agendor
