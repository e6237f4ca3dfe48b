// A full month Refresh (sheet, named days, range query, lines, markers,
// persons) and ShowDay against the 1,000,000-appointment sample, on the
// in-memory widgets. Each runs once on the sample as it is and once with the
// appointment table forced to scan, so the ratio shows what the indexes buy,
// and once more reusing the rows of the unchanged file.
// The counters give the queries per act (one each is the goal) and the share
// of the time spent measuring texts.
#if defined(AGENDOR_BENCH_DATA_DIR)

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "bench/bench_sample.h"
#include "agendor/control/agendor.h"
#include "agendor/control/instance_access.h"
#include "agendor/data/day_grid.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/platform/sqlite/sqlite_database.h"

namespace agendor {
namespace {

class CountingDatabase final : public Database {
public:
    explicit CountingDatabase(std::unique_ptr<Database> inner) : inner_(std::move(inner)) {}
    std::string Name() const override { return inner_->Name(); }
    std::unique_ptr<Recordset> OpenRecordset(const std::string& text, RecordsetType type) override {
        ++queries;
        return inner_->OpenRecordset(text, type);
    }
    std::unique_ptr<QueryDef> CreateQueryDef(const std::string& name, const std::string& text) override {
        ++queries;
        return inner_->CreateQueryDef(name, text);
    }
    long queries = 0;

private:
    std::unique_ptr<Database> inner_;
};

// The in-memory metrics, timed: what text measurement costs inside Refresh.
class TimedMetrics final : public TextMetrics {
public:
    explicit TimedMetrics(const TextMetrics& inner) : inner_(inner) {}
    Twips TextWidth(const Font& font, const std::string& text) const override {
        const auto start = std::chrono::steady_clock::now();
        const Twips w = inner_.TextWidth(font, text);
        spent += std::chrono::steady_clock::now() - start;
        ++calls;
        return w;
    }
    Twips TextHeight(const Font& font, const std::string& text) const override {
        const auto start = std::chrono::steady_clock::now();
        const Twips h = inner_.TextHeight(font, text);
        spent += std::chrono::steady_clock::now() - start;
        ++calls;
        return h;
    }
    Twips TwipsPerPixelX() const override { return inner_.TwipsPerPixelX(); }
    Twips TwipsPerPixelY() const override { return inner_.TwipsPerPixelY(); }
    mutable std::chrono::nanoseconds spent{0};
    mutable long calls = 0;

private:
    const TextMetrics& inner_;
};

struct Bench {
    // Without reuse every Refresh reads anew, as the first one after a
    // change does; with it, what each Refresh costs while the file is unchanged.
    explicit Bench(bool forceScan, bool reuse = false)
        : surface(dt::FromYmd(2020, 6, 17) + 0.4), metrics(surface.metrics), control(Wire(surface, metrics)) {
        std::string path;
        const sqlite::DataProperties& properties = bench::Sample(path);
        sqlite::SqliteOptions options;
        options.forceTableScan = forceScan;
        options.reuseUnchangedResults = reuse;
        database = std::make_shared<CountingDatabase>(sqlite::SqliteDatabase::Open(path, options));
        control.InitProperties();
        control.Resize(8175, 7185);
        bench::SetSampleProperties(control, properties);
        control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
        control.SetDatabase(database);
        control.SetDateValue(dt::FromYmd(2020, 6, 17));
    }

    static Surface Wire(memory::MemorySurface& s, TimedMetrics& metrics) {
        Surface wired = s.surface();
        wired.metrics = &metrics;
        return wired;
    }

    memory::MemorySurface surface;
    TimedMetrics metrics;
    Agendor control;
    std::shared_ptr<CountingDatabase> database;
};

void Refresh(benchmark::State& state, bool forceScan, bool reuse = false) {
    Bench bench(forceScan, reuse);
    bench.control.Refresh();  // warm the statement cache and the pages
    bench.database->queries = 0;
    bench.metrics.spent = {};
    bench.metrics.calls = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) bench.control.Refresh();
    const auto total = std::chrono::steady_clock::now() - start;
    const double n = static_cast<double>(state.iterations());
    // Refresh = the range query and the persons' query.
    state.counters["queries"] = bench.database->queries / n;
    state.counters["markers"] = InstanceOf(bench.control).state.MarkerCount;
    state.counters["measures"] = bench.metrics.calls / n;
    state.counters["measure_share"] =
        std::chrono::duration<double>(bench.metrics.spent) / std::chrono::duration<double>(total);
    state.counters["messages"] = static_cast<double>(bench.surface.container.Messages().size());
}

void ShowDayBench(benchmark::State& state, bool forceScan) {
    Bench bench(forceScan);
    bench.control.Refresh();
    bench.surface.Grid.UserClickCell(3, 2);  // 17 June 2020
    ShowDay(InstanceOf(bench.control));
    bench.database->queries = 0;
    for (auto _ : state) ShowDay(InstanceOf(bench.control));
    state.counters["queries"] = bench.database->queries / static_cast<double>(state.iterations());
    state.counters["rows"] = bench.surface.GridZoom.Rows() - 1;
    state.counters["messages"] = static_cast<double>(bench.surface.container.Messages().size());
}

void BM_RefreshMonth(benchmark::State& state) { Refresh(state, false); }
void BM_RefreshMonthTableScan(benchmark::State& state) { Refresh(state, true); }
void BM_RefreshMonthUnchanged(benchmark::State& state) { Refresh(state, false, true); }
void BM_ShowDay(benchmark::State& state) { ShowDayBench(state, false); }
void BM_ShowDayTableScan(benchmark::State& state) { ShowDayBench(state, true); }

BENCHMARK(BM_RefreshMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshMonthTableScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshMonthUnchanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowDay)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowDayTableScan)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace agendor

#endif
