#pragma once
// The control over the hardening tests' SQLite tables (Personen, Termine
// with the person's name in Person), sized and with its workspace; the
// database is the test's own.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/platform/sqlite/sqlite_database.h"

namespace agendor::testing {

inline void SetUpOverSqliteTables(Agendor& control) {
    control.InitProperties();
    control.Resize(8175, 7185);
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"DataSourcePerson", "Personen"}, {"FieldSourcePersonID", "PersonID"}, {"FieldSourcePerson", "Name"},
             {"DataSourceDates", "Termine"}, {"FieldDatesDateID", "TerminID"}, {"FieldDatesDate", "Datum"},
             {"FieldDatesPerson", "Person"}})
        SetDataProperty(control, name, value);
    control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
}

} // namespace agendor::testing
