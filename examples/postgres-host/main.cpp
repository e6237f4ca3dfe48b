// A host without a window that reads a calendar on a PostgreSQL server the
// way the control reads it: over PgDatabase's read-only session, with query
// texts of the control's dialect. It lists the persons and the appointments
// of one day.
//   postgres-host CONNINFO [--sample] [--day YYYY-MM-DD]
// --sample first fills "Personen" and "Termine" with the sample calendar
// (replacing them); --day defaults to 2 January 2024, a day of the sample.
// Exit status: 0 done, 1 the server refused (its message on standard
// error), 2 wrong arguments, 3 any other failure.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include <agendor/platform/database.h>
#include <agendor/core/date_time.h>
#include <agendor/core/locale.h>
#include <agendor/platform/postgres/pg_database.h>
#include <agendor/platform/postgres/pg_error.h>
#include <agendor/platform/postgres/pg_sample.h>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: postgres-host CONNINFO [--sample] [--day YYYY-MM-DD]\n");
    return 2;
}

int Run(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string conninfo = argv[1];
    bool sample = false;
    int year = 2024, month = 1, day = 2;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--sample") {
            sample = true;
        } else if (argument == "--day" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%d-%d-%d", &year, &month, &day) != 3) return Usage();
        } else {
            return Usage();
        }
    }

    if (sample) {
        agendor::postgres::PgSampleOptions options;
        options.parameters.persons = 5;
        options.parameters.appointments = 2000;
        options.parameters.fromYear = 2024;
        options.parameters.toYear = 2024;
        options.replaceExisting = true;
        agendor::postgres::CreateSampleOnServer(conninfo, options);
    }

    // The session is read-only: whatever text reaches it, the host's data
    // stays as it is.
    const std::unique_ptr<agendor::Database> db = agendor::postgres::PgDatabase::Open(conninfo);
    std::printf("Datenbank %s\n", db->Name().c_str());

    const auto persons = db->OpenRecordset("SELECT Personen.Name,Personen.PersonID From Personen ORDER BY Personen.Name");
    std::printf("Personen:\n");
    for (; !persons->IsEOF(); persons->MoveNext())
        std::printf("  %s  %s\n", persons->Field("PersonID").AsText().c_str(), persons->Field("Name").AsText().c_str());

    // The day as the control asks for it: its date field's day equals a
    // literal in month/day/year.
    const agendor::DateTime shown = agendor::dt::FromYmd(year, month, day);
    const std::string literal = std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year);
    const auto appointments = db->OpenRecordset("SELECT * From Termine WHERE (((DateValue([Datum]))=#" + literal +
                                                "#)) ORDER BY Termine.Datum");
    std::printf("Termine am %s:\n", agendor::dt::Format(shown, "dd.mm.yyyy", agendor::DefaultLocale()).c_str());
    for (; !appointments->IsEOF(); appointments->MoveNext()) {
        const agendor::DateTime when = appointments->Field("Datum").AsDateTime();
        std::printf("  %s  %s\n", agendor::dt::Format(when, "hh:nn", agendor::DefaultLocale()).c_str(),
                    appointments->Field("Name").AsText().c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const agendor::postgres::PgError& e) {
        // What the server (or libpq) said, and the query it said it about.
        std::fprintf(stderr, "%s\n", e.what());
        if (!e.SqlState().empty()) std::fprintf(stderr, "SQLSTATE %s\n", e.SqlState().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 3;
    }
}
