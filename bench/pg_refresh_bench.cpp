// The PostgreSQL engine beside the SQLite one, on the same 1,000,000
// appointments (the same sample seed as refresh_bench.cpp): a full month
// Refresh (both queries, the lines and markers) while the data stays as it
// is (its results handed out again) and right after a change (every query
// run), and the month query through the adapter, each against the bare
// libpq month query on the same server in text and in binary form (what the
// control and the adapter add), and ShowDay against a literal translation
// of its one-day query that computes DateValue for every row (what the
// range rewrite buys). The server is a throwaway one of this run, started
// with scripts/pg-test-server.sh and stopped by its pid at the end.
#if defined(AGENDOR_BENCH_PG_SCRIPT)

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "agendor/control/agendor.h"
#include "agendor/control/instance_access.h"
#include "agendor/data/day_grid.h"
#include "agendor/data/loaders.h"
#include "agendor/core/date_time.h"
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

postgres::PgOptions Options(bool reuseUnchangedResults, bool rewriteDateValue = true) {
    postgres::PgOptions options;
    options.reuseUnchangedResults = reuseUnchangedResults;
    options.rewriteDateValue = rewriteDateValue;
    return options;
}

struct PgBench {
    explicit PgBench(const postgres::PgOptions& options)
        : surface(dt::FromYmd(2020, 6, 17) + 0.4), control(surface.surface()) {
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

// A full month Refresh with nothing changed since the one before: both
// queries' results are handed out again after one snapshot round trip each.
void BM_PgRefreshMonth(benchmark::State& state) {
    PgBench bench(Options(true));
    bench.control.Refresh();  // prepare the statements, warm the cache
    for (auto _ : state) bench.control.Refresh();
    state.counters["markers"] = InstanceOf(bench.control).state.MarkerCount;
    state.counters["messages"] = static_cast<double>(bench.surface.container.Messages().size());
}

// The same Refresh as right after a change: both queries run on the server.
void BM_PgRefreshMonthCold(benchmark::State& state) {
    PgBench bench(Options(false));
    bench.control.Refresh();
    for (auto _ : state) bench.control.Refresh();
    state.counters["markers"] = InstanceOf(bench.control).state.MarkerCount;
    state.counters["messages"] = static_cast<double>(bench.surface.container.Messages().size());
}

// The same Refresh with reuse on, each after another session committed a
// transaction (one that only takes a transaction id; outside the timing, and
// 2 ms before the Refresh, as a desk reloads a moment after a notification):
// both snapshot round trips find a change and both queries run.
void BM_PgRefreshMonthAfterCommit(benchmark::State& state) {
    PgBench bench(Options(true));
    PGconn* host = PQconnectdb(TheServer().Conninfo().c_str());
    bench.control.Refresh();
    for (auto _ : state) {
        state.PauseTiming();
        PQclear(PQexec(host, "SELECT pg_current_xact_id()"));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        state.ResumeTiming();
        bench.control.Refresh();
    }
    PQfinish(host);
    state.counters["markers"] = InstanceOf(bench.control).state.MarkerCount;
    state.counters["messages"] = static_cast<double>(bench.surface.container.Messages().size());
}

// The month's range query as the adapter sends it, prepared once on a
// connection of its own and run through libpq alone: the length of every
// value of every row read, nothing converted.
class BareMonthQuery {
public:
    explicit BareMonthQuery(PgBench& bench) : connection_(PQconnectdb(TheServer().Conninfo().c_str())) {
        const State& s = InstanceOf(bench.control).state;
        const std::string sql = bench.database->Translate(SheetRangeQuery(s, s.DateValue, agMonat));
        PQclear(PQprepare(connection_, "month", sql.c_str(), 0, nullptr));
    }
    ~BareMonthQuery() { PQfinish(connection_); }
    BareMonthQuery(const BareMonthQuery&) = delete;
    BareMonthQuery& operator=(const BareMonthQuery&) = delete;

    // resultFormat 0: text, 1: binary. Returns the number of rows.
    long Run(int resultFormat) {
        PGresult* result = PQexecPrepared(connection_, "month", 0, nullptr, nullptr, nullptr, resultFormat);
        const long rows = PQntuples(result);
        std::size_t bytes = 0;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < PQnfields(result); ++c) bytes += PQgetlength(result, r, c);
        benchmark::DoNotOptimize(bytes);
        PQclear(result);
        return rows;
    }

private:
    PGconn* connection_;
};

void BareMonth(benchmark::State& state, int resultFormat) {
    PgBench bench(Options(false));
    BareMonthQuery query(bench);
    long rows = 0;
    for (auto _ : state) rows = query.Run(resultFormat);
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_PgBareMonthQuery(benchmark::State& state) { BareMonth(state, 0); }
void BM_PgBareMonthQueryBinary(benchmark::State& state) { BareMonth(state, 1); }

// The same month through the adapter, as LoadDates reads it: a temporary
// query definition, a snapshot, and each row's date and person; the query
// runs every time.
long AdapterMonth(PgBench& bench) {
    const State& s = InstanceOf(bench.control).state;
    const std::string text = SheetRangeQuery(s, s.DateValue, agMonat);
    auto records = bench.database->CreateQueryDef("", text)->OpenRecordset(RecordsetType::Snapshot);
    long rows = 0;
    for (; !records->IsEOF(); records->MoveNext(), ++rows) {
        benchmark::DoNotOptimize(records->Field(s.FieldDatesDate).AsDateTime());
        benchmark::DoNotOptimize(records->Field(s.FieldDatesPerson).AsText());
    }
    return rows;
}

void BM_PgAdapterMonthQuery(benchmark::State& state) {
    PgBench bench(Options(false));
    long rows = 0;
    for (auto _ : state) rows = AdapterMonth(bench);
    state.counters["rows"] = static_cast<double>(rows);
}

// The ratios, taken from the six acts above (the warm Refresh also on a
// session without time limits) done one after the other in
// every iteration, so that each sees the same load of a shared machine.
// Counters: wall and processor time of this thread (the server's work shows
// only in the wall time) of each act in milliseconds, and the ratios of the
// wall times (warm_bare = month Refresh unchanged / bare text query, ...).
void BM_PgMonthRatios(benchmark::State& state) {
    PgBench warm(Options(true));
    // The same warm Refresh on a session without time limits: what the
    // statement and lock timeouts the session sets cost each statement.
    postgres::PgOptions unboundedOptions = Options(true);
    unboundedOptions.statementTimeoutMs = 0;
    unboundedOptions.lockTimeoutMs = 0;
    PgBench unbounded(unboundedOptions);
    PgBench cold(Options(false));
    BareMonthQuery bare(cold);
    warm.control.Refresh();
    unbounded.control.Refresh();
    cold.control.Refresh();
    struct Clocks {
        std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
        timespec cpu{};
        Clocks() { clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu); }
    };
    enum Act { Warm, WarmUnbounded, Cold, Adapter, BareText, BareBinary, Acts };
    double wall[Acts] = {}, cpu[Acts] = {};
    auto timed = [&](Act act, auto&& work) {
        const Clocks start;
        work();
        const Clocks end;
        wall[act] += std::chrono::duration<double, std::milli>(end.wall - start.wall).count();
        cpu[act] += (end.cpu.tv_sec - start.cpu.tv_sec) * 1e3 + (end.cpu.tv_nsec - start.cpu.tv_nsec) / 1e6;
    };
    for (auto _ : state) {
        timed(Warm, [&] { warm.control.Refresh(); });
        timed(WarmUnbounded, [&] { unbounded.control.Refresh(); });
        timed(Cold, [&] { cold.control.Refresh(); });
        timed(Adapter, [&] { AdapterMonth(cold); });
        timed(BareText, [&] { bare.Run(0); });
        timed(BareBinary, [&] { bare.Run(1); });
    }
    const double n = static_cast<double>(state.iterations());
    const char* names[Acts] = {"refresh_warm", "refresh_warm_unbounded", "refresh_cold", "adapter", "bare_text",
                               "bare_binary"};
    for (int act = 0; act < Acts; ++act) {
        state.counters[std::string(names[act]) + "_ms"] = wall[act] / n;
        state.counters[std::string(names[act]) + "_cpu_ms"] = cpu[act] / n;
    }
    state.counters["warm_bare"] = wall[Warm] / wall[BareText];
    state.counters["warm_unbounded"] = wall[Warm] / wall[WarmUnbounded];
    state.counters["cold_bare"] = wall[Cold] / wall[BareText];
    state.counters["adapter_bare"] = wall[Adapter] / wall[BareText];
    state.counters["warm_bare_binary"] = wall[Warm] / wall[BareBinary];
    state.counters["cold_bare_binary"] = wall[Cold] / wall[BareBinary];
    state.counters["adapter_bare_binary"] = wall[Adapter] / wall[BareBinary];
    state.counters["messages"] = static_cast<double>(warm.surface.container.Messages().size() +
                                                     unbounded.surface.container.Messages().size() +
                                                     cold.surface.container.Messages().size());
}

// The day's query runs every time (no result handed out again), so both
// sides measure the query.
void PgShowDay(benchmark::State& state, bool rewriteDateValue) {
    PgBench bench(Options(false, rewriteDateValue));
    bench.control.Refresh();
    bench.surface.Grid.UserClickCell(3, 2);  // 17 June 2020
    ShowDay(InstanceOf(bench.control));
    for (auto _ : state) ShowDay(InstanceOf(bench.control));
    state.counters["rows"] = bench.surface.GridZoom.Rows() - 1;
    state.counters["messages"] = static_cast<double>(bench.surface.container.Messages().size());
}

void BM_PgShowDay(benchmark::State& state) { PgShowDay(state, true); }
void BM_PgShowDayLiteralScan(benchmark::State& state) { PgShowDay(state, false); }

BENCHMARK(BM_PgRefreshMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgRefreshMonthCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgRefreshMonthAfterCommit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgBareMonthQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgBareMonthQueryBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgAdapterMonthQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgMonthRatios)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgShowDay)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PgShowDayLiteralScan)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace agendor

#endif
