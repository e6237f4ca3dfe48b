// The PostgreSQL engine beside the SQLite one, on the same 1,000,000
// appointments (the same sample seed as refresh_bench.cpp): a full month
// Refresh (both queries, the lines and markers) and the month query through
// the adapter, each against the bare libpq month query on the same server
// (what the control and the adapter add), and ShowDay against a literal translation
// of its one-day query that computes DateValue for every row (what the
// range rewrite buys). The server is a throwaway one of this run, started
// with scripts/pg-test-server.sh and stopped by its pid at the end.
#if defined(AGENDOR_BENCH_PG_SCRIPT)

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "agendor/control/agendor.h"
#include "agendor/data/day_grid.h"
#include "agendor/data/loaders.h"
#include "agendor/platform/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_sample.h"

namespace agendor {
namespace {

class Server {
public:
    Server() : dir_("/tmp/agendor-pg-bench-" + std::to_string(::getpid())) {
        const std::string start = std::string("bash ") + AGENDOR_BENCH_PG_SCRIPT + " start " + dir_ + " agendor >/dev/null";
        if (std::system(start.c_str()) != 0) throw std::runtime_error("the benchmark's server did not start");
        conninfo_ = "host=" + dir_ + " user=postgres dbname=agendor";
        postgres::PgSampleOptions options;
        options.parameters = {1000, 1'000'000, 2010, 2029, 6};
        postgres::CreateSampleOnServer(conninfo_, options);
    }
    ~Server() { (void)std::system((std::string("bash ") + AGENDOR_BENCH_PG_SCRIPT + " stop " + dir_).c_str()); }
    const std::string& Conninfo() const { return conninfo_; }

private:
    std::string dir_;
    std::string conninfo_;
};

const Server& TheServer() {
    static const Server server;
    return server;
}

struct PgBench {
    explicit PgBench(bool rewriteDateValue) : surface(dt::FromYmd(2020, 6, 17) + 0.4), control(surface.surface()) {
        postgres::PgOptions options;
        options.rewriteDateValue = rewriteDateValue;
        database = postgres::PgDatabase::Open(TheServer().Conninfo(), options);
        control.InitProperties();
        control.Resize(8175, 7185);
        for (const sample::DataProperty& p : sample::SampleDataProperties()) SetDataProperty(control, p.name, p.value);
        control.SetWorkspace(std::make_shared<postgres::PgWorkspace>());
        control.SetDatabase(database);
        control.SetDateValue(dt::FromYmd(2020, 6, 17));
    }

    memory::MemorySurface surface;
    Agendor control;
    std::shared_ptr<postgres::PgDatabase> database;
};

void BM_PgRefreshMonth(benchmark::State& state) {
    PgBench bench(true);
    bench.control.Refresh();  // prepare the statements, warm the cache
    for (auto _ : state) bench.control.Refresh();
    state.counters["markers"] = bench.control.instance().state.MarkerCount;
    state.counters["messages"] = static_cast<double>(bench.surface.container.Messages().size());
}

// The month's range query as the adapter sends it, prepared once and run
// through libpq alone: every value of every row read as text, nothing else.
void BM_PgBareMonthQuery(benchmark::State& state) {
    PgBench bench(true);
    const State& s = bench.control.instance().state;
    const std::string sql = bench.database->Translate(SheetRangeQuery(s, s.DateValue, agMonat));
    PGconn* connection = PQconnectdb(TheServer().Conninfo().c_str());
    PGresult* prepared = PQprepare(connection, "month", sql.c_str(), 0, nullptr);
    PQclear(prepared);
    long rows = 0;
    for (auto _ : state) {
        PGresult* result = PQexecPrepared(connection, "month", 0, nullptr, nullptr, nullptr, 0);
        rows = PQntuples(result);
        std::size_t bytes = 0;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < PQnfields(result); ++c) bytes += PQgetlength(result, r, c);
        benchmark::DoNotOptimize(bytes);
        PQclear(result);
    }
    state.counters["rows"] = static_cast<double>(rows);
    PQfinish(connection);
}

// The same month through the adapter, as LoadDates reads it: a temporary
// query definition, a snapshot, and each row's date and person.
void BM_PgAdapterMonthQuery(benchmark::State& state) {
    PgBench bench(true);
    const State& s = bench.control.instance().state;
    const std::string text = SheetRangeQuery(s, s.DateValue, agMonat);
    long rows = 0;
    for (auto _ : state) {
        auto records = bench.database->CreateQueryDef("", text)->OpenRecordset(RecordsetType::Snapshot);
        rows = 0;
        for (; !records->IsEOF(); records->MoveNext(), ++rows) {
            benchmark::DoNotOptimize(records->Field(s.FieldDatesDate).AsDateTime());
            benchmark::DoNotOptimize(records->Field(s.FieldDatesPerson).AsText());
        }
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void PgShowDay(benchmark::State& state, bool rewriteDateValue) {
    PgBench bench(rewriteDateValue);
    bench.control.Refresh();
    bench.surface.Grid.UserClickCell(3, 2);  // 17 June 2020
    ShowDay(bench.control.instance());
    for (auto _ : state) ShowDay(bench.control.instance());
    state.counters["rows"] = bench.surface.GridZoom.Rows() - 1;
    state.counters["messages"] = static_cast<double>(bench.surface.container.Messages().size());
}

void BM_PgShowDay(benchmark::State& state) { PgShowDay(state, true); }
void BM_PgShowDayLiteralScan(benchmark::State& state) { PgShowDay(state, false); }

BENCHMARK(BM_PgRefreshMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgBareMonthQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgAdapterMonthQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgShowDay)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PgShowDayLiteralScan)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace agendor

#endif
