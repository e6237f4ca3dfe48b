#include "agendor/platform/sqlite/sample_database.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "agendor/core/date_time.h"
#include "agendor/platform/sqlite/sqlite_error.h"
#include "agendor/platform/sqlite/sqlite_handles.h"

namespace agendor::sqlite {
namespace {

sample::SampleParameters ParametersOf(const SampleOptions& options) {
    return {options.persons, options.appointments, options.fromYear, options.toYear, options.seed};
}

void Bind(sqlite3* db, int rc) {
    if (rc != SQLITE_OK) RaiseEngineError(db, rc, "Die Beispieldatenbank ließ sich nicht füllen", {});
}

void StepInsert(sqlite3* db, sqlite3_stmt* insert) {
    const int rc = sqlite3_step(insert);
    if (rc != SQLITE_DONE) RaiseEngineError(db, rc, "Die Beispieldatenbank ließ sich nicht füllen", {});
    sqlite3_reset(insert);
}

void Fill(Connection& connection, const SampleOptions& options) {
    sqlite3* db = connection.Handle();
    const sample::SampleCalendar calendar = sample::GenerateSample(ParametersOf(options));
    const bool iso = options.dateStorage == DateStorage::IsoText;

    // A new file nobody reads yet: no journal and no syncing until the end.
    connection.Execute("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;");
    connection.Execute("BEGIN");
    connection.Execute(
        "CREATE TABLE Personen (PersonID INTEGER PRIMARY KEY, Name TEXT NOT NULL);"
        "CREATE TABLE Termine (TerminID INTEGER PRIMARY KEY, Datum " +
        std::string(iso ? "TEXT" : "REAL") +
        " NOT NULL, PersonID INTEGER REFERENCES Personen (PersonID), Name TEXT NOT NULL);");

    const std::vector<std::string>& names = calendar.persons;
    {
        const Statement insert = Prepare(db, "INSERT INTO Personen (PersonID, Name) VALUES (?, ?)");
        for (std::size_t i = 0; i < names.size(); ++i) {
            Bind(db, sqlite3_bind_int64(insert.get(), 1, static_cast<sqlite3_int64>(i + 1)));
            Bind(db, sqlite3_bind_text(insert.get(), 2, names[i].c_str(), static_cast<int>(names[i].size()),
                                       SQLITE_STATIC));
            StepInsert(db, insert.get());
        }
    }

    {
        const Statement insert =
            Prepare(db, "INSERT INTO Termine (TerminID, Datum, PersonID, Name) VALUES (?, ?, ?, ?)");
        char text[48];
        for (const sample::SampleAppointment& appointment : calendar.appointments) {
            const int minutes = appointment.minutes;
            Bind(db, sqlite3_bind_int64(insert.get(), 1, appointment.id));
            if (iso) {
                const dt::Ymd date = dt::ToYmd(static_cast<double>(appointment.day));
                std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:00", date.year, date.month, date.day,
                              minutes / 60, minutes % 60);
                Bind(db, sqlite3_bind_text(insert.get(), 2, text, -1, SQLITE_TRANSIENT));
            } else {
                Bind(db, sqlite3_bind_double(insert.get(), 2, dt::Compose(appointment.day, minutes / 1440.0)));
            }
            const std::string& name = names[appointment.person];
            Bind(db, sqlite3_bind_int64(insert.get(), 3, appointment.person + 1));
            Bind(db, sqlite3_bind_text(insert.get(), 4, name.c_str(), static_cast<int>(name.size()), SQLITE_STATIC));
            StepInsert(db, insert.get());
        }
    }

    // The range and one-day queries select by Datum and read every field:
    // an index that holds every field (the rowid TerminID comes with it)
    // answers them without visiting the table. The persons are read in
    // name order.
    connection.Execute(
        "CREATE INDEX Termine_Datum ON Termine (Datum, PersonID, Name);"
        "CREATE INDEX Personen_Name ON Personen (Name);");
    connection.Execute("COMMIT");
    connection.Execute("PRAGMA journal_mode = DELETE;");
}

} // namespace

DataProperties CreateSampleDatabase(const std::string& path, const SampleOptions& options) {
    sample::CheckParameters(ParametersOf(options));
    namespace fs = std::filesystem;
    std::error_code ignored;
    if (!options.replaceExisting && fs::exists(path, ignored))
        throw Error("Die Datei " + path + " gibt es schon; sie wird nicht überschrieben.");

    const std::string partial = path + ".part";
    fs::remove(partial, ignored);
    try {
        {
            Connection connection = Connection::Create(partial);
            Fill(connection, options);
        }
        fs::rename(partial, path);
    } catch (const fs::filesystem_error& error) {
        fs::remove(partial, ignored);
        throw Error("Die Beispieldatenbank " + path + " ließ sich nicht anlegen: " + error.code().message());
    } catch (...) {
        fs::remove(partial, ignored);
        throw;
    }

    // FieldSourcePerson also names the person field of the appointments:
    // the printed sheet reads the person of an appointment under that name.
    return SampleDataProperties();
}

} // namespace agendor::sqlite
