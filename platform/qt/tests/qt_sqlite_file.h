#pragma once
// The control on its Qt widget over a real SQLite file, as the widget and
// print tests set it up: the tables "Personen" and "Termine" in the shape of
// the sample database, the control's boxes collected instead of shown, and
// the seven data properties naming those tables.
#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/sqlite/sqlite_database.h"

namespace agendor::qt::testing {

struct Appointment {
    DateTime when;
    int personId;  // 1 for the first person
};

// Runs sql (statements separated by ';') on the file at path, which is
// created when missing. Raises with SQLite's message when a statement fails.
inline void ExecOnFile(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    const bool opened = sqlite3_open(path.c_str(), &db) == SQLITE_OK;
    char* error = nullptr;
    const bool done = opened && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK;
    const std::string message = error ? error : db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_free(error);
    sqlite3_close(db);
    if (!done) throw std::runtime_error(path + ": " + message);
}

// "Personen" with persons (ids from 1 in this order) and "Termine" with the
// appointments, ids from 1 in this order, each with its person's name.
inline void CreateCalendarFile(const std::string& path, const std::vector<std::string>& persons,
                               const std::vector<Appointment>& appointments) {
    auto text = [](const std::string& value) {
        std::string quoted = "'";
        for (char c : value) quoted += c == '\'' ? std::string("''") : std::string(1, c);
        return quoted + "'";
    };
    std::string sql =
        "CREATE TABLE Personen (PersonID INTEGER PRIMARY KEY, Name TEXT NOT NULL);"
        "CREATE TABLE Termine (TerminID INTEGER PRIMARY KEY, Datum REAL NOT NULL, PersonID INTEGER NOT NULL, "
        "Name TEXT NOT NULL);";
    for (std::size_t i = 0; i < persons.size(); ++i)
        sql += "INSERT INTO Personen VALUES (" + std::to_string(i + 1) + ", " + text(persons[i]) + ");";
    int id = 0;
    for (const Appointment& a : appointments) {
        char when[40];
        std::snprintf(when, sizeof when, "%.10f", a.when);
        sql += "INSERT INTO Termine VALUES (" + std::to_string(++id) + ", " + when + ", " +
               std::to_string(a.personId) + ", " + text(persons.at(static_cast<std::size_t>(a.personId - 1))) + ");";
    }
    ExecOnFile(path, sql);
}

// The widget's boxes end in messages (answered Ok); the control reads the
// file at path through a connection of its own, with the seven data
// properties of the tables CreateCalendarFile writes.
inline void UseCalendarFile(AgendorWidget& widget, const std::string& path, std::vector<std::string>& messages) {
    widget.surface().container.SetAnswerer([&messages](const Message& m) {
        messages.push_back(m.text);
        return MessageResult::Ok;
    });
    Agendor& c = widget.control();
    c.SetDatabase(sqlite::SqliteDatabase::Open(path));
    c.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
    c.SetDataSourcePerson("Personen");
    c.SetFieldSourcePersonID("PersonID");
    c.SetFieldSourcePerson("Name");
    c.SetDataSourceDates("Termine");
    c.SetFieldDatesDateID("TerminID");
    c.SetFieldDatesDate("Datum");
    c.SetFieldDatesPerson("Name");
}

} // namespace agendor::qt::testing
