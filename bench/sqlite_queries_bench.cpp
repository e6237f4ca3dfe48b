// The control's queries on a sample of 1,000,000 appointments over 20 years
// and 1,000 persons, through the SQLite adapter: translate, run, and read
// every field of every row. Compare
//   MonthQuery with MonthQueryTableScan (the index's gain),
//   DayQuery with DayQueryComputed (the gain of rewriting DateValue),
//   PrepareCachedText with MonthQuery (the statement cache's cost),
//   PersonsQuery with PersonsQueryByteOrder (the German collation's cost on
//   a first load, or the first after a change), and both with
//   PersonsQueryRepeated (what each later load costs while the file is
//   unchanged, as on every Refresh that follows no change).
// All but PersonsQueryRepeated read anew on every run: they measure the
// query, not the reuse of its rows.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "agendor/platform/sqlite/sample_database.h"
#include "agendor/platform/sqlite/sqlite_database.h"

namespace {

using agendor::Database;
using agendor::Recordset;
using agendor::RecordsetType;
using namespace agendor::sqlite;

// Built once per build folder (a few seconds) and reused by later runs.
const std::string& SamplePath() {
    static const std::string path = [] {
        const std::string file = std::string(AGENDOR_BENCH_DATA_DIR) + "/sample-1000000-v1.sqlite";
        if (!std::filesystem::exists(file)) {
            SampleOptions options;
            options.persons = 1000;
            options.appointments = 1'000'000;
            options.fromYear = 2005;
            options.toYear = 2024;
            options.seed = 1;
            CreateSampleDatabase(file, options);
        }
        return file;
    }();
    return path;
}

std::unique_ptr<SqliteDatabase> OpenSample(bool rewriteDateValue = true, bool forceTableScan = false,
                                           bool germanTextOrder = true, bool reuse = false) {
    SqliteOptions options;
    options.rewriteDateValue = rewriteDateValue;
    options.forceTableScan = forceTableScan;
    options.germanTextOrder = germanTextOrder;
    options.reuseUnchangedResults = reuse;
    return SqliteDatabase::Open(SamplePath(), options);
}

// The texts the control sends for June 2015 and for Wednesday 10 June 2015.
const std::string kMonth =
    "SELECT *  From Termine WHERE (((Termine.Datum)>=#6/01/2015# And (Termine.Datum)<#7/01/2015#)) ORDER BY "
    "Termine.Datum";
// The persons text of the control: all 1,000 persons by name.
const std::string kPersons = "SELECT Personen.Name,Personen.PersonID From Personen ORDER BY Personen.Name";
const std::string kDay = "SELECT *  From Termine WHERE (((DateValue([Datum]))=#6/10/2015#)) ORDER BY Termine.Datum";

std::size_t ReadEveryField(Recordset& records) {
    std::size_t rows = 0;
    for (; !records.IsEOF(); records.MoveNext(), ++rows) {
        benchmark::DoNotOptimize(records.Field("TerminID").AsText());
        benchmark::DoNotOptimize(records.Field("Datum").AsDateTime());
        benchmark::DoNotOptimize(records.Field("PersonID").AsInt32());
        benchmark::DoNotOptimize(records.Field("Name").AsText());
    }
    return rows;
}

void RunMonth(benchmark::State& state, Database& db) {
    std::size_t rows = 0;
    for (auto _ : state) {
        auto query = db.CreateQueryDef("", kMonth);
        rows = ReadEveryField(*query->OpenRecordset(RecordsetType::Snapshot));
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void RunDay(benchmark::State& state, Database& db) {
    std::size_t rows = 0;
    for (auto _ : state) rows = ReadEveryField(*db.OpenRecordset(kDay));
    state.counters["rows"] = static_cast<double>(rows);
}

void MonthQuery(benchmark::State& state) {
    auto db = OpenSample();
    RunMonth(state, *db);
}

void MonthQueryTableScan(benchmark::State& state) {
    auto db = OpenSample(true, true);
    RunMonth(state, *db);
}

void DayQuery(benchmark::State& state) {
    auto db = OpenSample();
    RunDay(state, *db);
}

void DayQueryComputed(benchmark::State& state) {
    auto db = OpenSample(false);
    RunDay(state, *db);
}

void RunPersons(benchmark::State& state, Database& db) {
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = 0;
        for (auto records = db.OpenRecordset(kPersons, RecordsetType::Snapshot); !records->IsEOF();
             records->MoveNext(), ++rows) {
            benchmark::DoNotOptimize(records->Field("Name").AsText());
            benchmark::DoNotOptimize(records->Field("PersonID").AsInt32());
        }
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void PersonsQuery(benchmark::State& state) {
    auto db = OpenSample();
    RunPersons(state, *db);
}

void PersonsQueryByteOrder(benchmark::State& state) {
    auto db = OpenSample(true, false, false);
    RunPersons(state, *db);
}

void PersonsQueryRepeated(benchmark::State& state) {
    auto db = OpenSample(true, false, true, true);
    RunPersons(state, *db);
}

// What every repeated text costs before it runs: the cache lookup.
void PrepareCachedText(benchmark::State& state) {
    auto db = OpenSample();
    for (auto _ : state) db->Prepare(kMonth);
}

// A text seen for the first time: translation and SQLite's prepare.
void PrepareNewText(benchmark::State& state) {
    SqliteOptions options;
    options.statementCacheSize = 1;
    options.reuseUnchangedResults = false;
    auto db = SqliteDatabase::Open(SamplePath(), options);
    const std::string other = kMonth + " ";
    bool flip = false;
    for (auto _ : state) db->Prepare((flip = !flip) ? kMonth : other);
}

BENCHMARK(MonthQuery)->Unit(benchmark::kMicrosecond);
BENCHMARK(MonthQueryTableScan)->Unit(benchmark::kMicrosecond);
BENCHMARK(DayQuery)->Unit(benchmark::kMicrosecond);
BENCHMARK(DayQueryComputed)->Unit(benchmark::kMicrosecond);
BENCHMARK(PersonsQuery)->Unit(benchmark::kMicrosecond);
BENCHMARK(PersonsQueryByteOrder)->Unit(benchmark::kMicrosecond);
BENCHMARK(PersonsQueryRepeated)->Unit(benchmark::kMicrosecond);
BENCHMARK(PrepareCachedText)->Unit(benchmark::kMicrosecond);
BENCHMARK(PrepareNewText)->Unit(benchmark::kMicrosecond);

} // namespace
