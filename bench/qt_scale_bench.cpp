// Scale on the Qt widgets: a month of 20,000 appointments (March 2027) with
// a persons table of 1,000 and of 100,000 rows. Each iteration runs the
// bare person query through the engine (every row's name and id read) and
// a month Refresh with its posted events, so both see the same load of the
// machine. Counters, per iteration, in milliseconds of the thread's
// processor time: person_query_ms, refresh_ms, and refresh_minus_query_ms
// (what the control adds to the query: the sheet, the appointments and the
// person box); peak_rss_mb is the process's peak so far. The person box
// must not make refresh_minus_query_ms grow with the persons faster than
// person_query_ms does: compare the two rows.
//   ninja -C <build> bench-qt   (or agendor_qt_bench --benchmark_filter=Scale)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include <sqlite3.h>

#include "agendor/control/agendor.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/clock.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/sqlite/sqlite_database.h"

namespace agendor {
namespace {

double ThreadMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double PeakRssMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

const DateTime kMonth = dt::FromYmd(2027, 3, 10);

// Personen(PersonID, Name) with persons rows, Termine with 20,000
// appointments in March 2027 (working hours, persons in turn); built once
// per size beside the benchmark.
std::string ScaleDatabase(int persons) {
    const std::string path =
        std::string(AGENDOR_BENCH_DATA_DIR) + "/scale-" + std::to_string(persons) + "-persons.db";
    if (std::filesystem::exists(path)) return path;
    const std::string building = path + ".part";
    std::filesystem::remove(building);
    sqlite3* db = nullptr;
    sqlite3_open(building.c_str(), &db);
    const std::string sql =
        "CREATE TABLE Personen (PersonID INTEGER PRIMARY KEY, Name TEXT);"
        "CREATE TABLE Termine (TerminID INTEGER PRIMARY KEY, Datum REAL, Person TEXT);"
        "CREATE INDEX Termine_Datum ON Termine (Datum);"
        "CREATE INDEX Personen_Name ON Personen (Name);"
        "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " + std::to_string(persons) +
        ") INSERT INTO Personen SELECT k, 'Person ' || printf('%06d', (k * 7919) % " + std::to_string(persons) +
        ") FROM n;"
        "WITH RECURSIVE n(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM n WHERE k < 19999) "
        "INSERT INTO Termine (Datum, Person) SELECT " + std::to_string(static_cast<long>(dt::FromYmd(2027, 3, 1))) +
        " + (k % 31) + 0.3333 + (k / 31 % 40) / 96.0, 'Person ' || printf('%06d', k % " + std::to_string(persons) +
        ") FROM n;";
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) throw Error(message);
    sqlite3_close(db);
    std::filesystem::rename(building, path);
    return path;
}

void BM_ScaleRefreshAndPersons(benchmark::State& state) {
    const int persons = static_cast<int>(state.range(0));
    const std::string path = ScaleDatabase(persons);
    sqlite::SqliteOptions options;
    options.reuseUnchangedResults = false;
    auto bare = sqlite::SqliteDatabase::Open(path, options);

    memory::FixedClock clock(dt::FromYmd(2027, 3, 10) + 0.4);
    qt::AgendorWidget widget(nullptr, &clock);
    widget.SetReloadAfterResize(-1);
    widget.resize(widget.sizeHint());
    widget.show();
    QApplication::processEvents();
    Agendor& control = widget.control();
    for (const auto& [name, value] : {std::pair{"DataSourcePerson", "Personen"}, {"FieldSourcePersonID", "PersonID"},
                                      {"FieldSourcePerson", "Name"}, {"DataSourceDates", "Termine"},
                                      {"FieldDatesDateID", "TerminID"}, {"FieldDatesDate", "Datum"},
                                      {"FieldDatesPerson", "Person"}})
        SetDataProperty(control, name, value);
    control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
    control.SetDatabase(sqlite::SqliteDatabase::Open(path, options));
    control.SetDateValue(kMonth);
    widget.Refresh();
    QApplication::processEvents();

    const std::string personQuery =
        "SELECT Personen.Name,Personen.PersonID From Personen ORDER BY Personen.Name";
    double query = 0, refresh = 0;
    for (auto _ : state) {
        const double start = ThreadMilliseconds();
        auto records = bare->OpenRecordset(personQuery, RecordsetType::Snapshot);
        long rows = 0;
        for (; !records->IsEOF(); records->MoveNext(), ++rows) {
            benchmark::DoNotOptimize(records->Field("Name").AsText());
            benchmark::DoNotOptimize(records->Field("PersonID").AsInt32());
        }
        const double queried = ThreadMilliseconds();
        widget.Refresh();
        QApplication::processEvents();
        refresh += ThreadMilliseconds() - queried;
        query += queried - start;
        if (rows != persons) state.SkipWithError("the person query lost rows");
    }
    if (widget.surface().cboPerson->ListCount() != persons) state.SkipWithError("the person box lost entries");
    const double n = static_cast<double>(state.iterations());
    state.counters["person_query_ms"] = query / n;
    state.counters["refresh_ms"] = refresh / n;
    state.counters["refresh_minus_query_ms"] = (refresh - query) / n;
    state.counters["peak_rss_mb"] = PeakRssMegabytes();
}

BENCHMARK(BM_ScaleRefreshAndPersons)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
} // namespace agendor
