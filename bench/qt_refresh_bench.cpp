// The dense month of the sample (May 2020: some 4,400 appointments, most of
// them markers) on the Qt widgets beside the same work on the in-memory
// widgets, alternated within each iteration so that both sides see the same
// load of the machine:
//   Refresh    a month Refresh, then what a person waits for on the screen:
//              the posted events (deferred deletes, updates) and the paint
//              (grab() of the control);
//   PageStep   the forward button, the paint, the back button, the paint.
// The counters are per iteration in milliseconds of the thread's processor
// time (a shared machine's load stretches the wall clock, not these); ratio
// is Qt / in-memory.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>

#include "bench/bench_sample.h"
#include "agendor/control/agendor.h"
#include "agendor/control/instance_access.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/clock.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/sqlite/sqlite_database.h"

namespace agendor {
namespace {

// The processor time of the calling thread.
struct Clock {
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<Clock, duration>;
    static time_point now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return time_point(std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec));
    }
};

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

const DateTime kToday = dt::FromYmd(2020, 6, 17) + 0.4;
const DateTime kDenseMonth = dt::FromYmd(2020, 5, 15);
// The control's design size, twips.
constexpr Twips kWidth = 8175, kHeight = 7185;

void Bind(Agendor& control) {
    std::string path;
    const sqlite::DataProperties& properties = bench::Sample(path);
    bench::SetSampleProperties(control, properties);
    control.SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
    // Each Refresh reads the month anew, as the first one after a change
    // does: the widgets' share is measured against the whole act.
    sqlite::SqliteOptions options;
    options.reuseUnchangedResults = false;
    control.SetDatabase(sqlite::SqliteDatabase::Open(path, options));
    control.SetDateValue(kDenseMonth);
}

struct MemorySide {
    MemorySide() : surface(kToday), control(surface.surface()) {
        control.InitProperties();
        control.Resize(kWidth, kHeight);
        Bind(control);
    }
    memory::MemorySurface surface;
    Agendor control;
};

struct QtSide {
    QtSide() : clock(kToday), widget(nullptr, &clock) {
        widget.SetReloadAfterResize(-1);
        widget.resize(widget.sizeHint());
        widget.show();
        QApplication::processEvents();
        Bind(widget.control());
    }
    // The events the refresh left behind, then the paint.
    void Settle(Clock::duration& events, Clock::duration& paint) {
        const auto start = Clock::now();
        QApplication::processEvents();
        const auto painted = Clock::now();
        const QPixmap pixels = widget.grab();
        benchmark::DoNotOptimize(pixels.cacheKey());
        paint += Clock::now() - painted;
        events += painted - start;
    }
    memory::FixedClock clock;
    qt::AgendorWidget widget;
};

struct Split {
    Clock::duration memory{}, qtWork{}, qtEvents{}, qtPaint{};
    void Report(benchmark::State& state, int markers) const {
        const double n = static_cast<double>(state.iterations());
        const double qt = Milliseconds(qtWork + qtEvents + qtPaint) / n;
        state.counters["memory_ms"] = Milliseconds(memory) / n;
        state.counters["qt_ms"] = qt;
        state.counters["qt_work_ms"] = Milliseconds(qtWork) / n;
        state.counters["qt_events_ms"] = Milliseconds(qtEvents) / n;
        state.counters["qt_paint_ms"] = Milliseconds(qtPaint) / n;
        state.counters["ratio"] = qt / (Milliseconds(memory) / n);
        state.counters["markers"] = markers;
    }
};

// One refresh on each side before the measured ones, so that the first
// iteration finds the statement cache, the pages and the glyph caches warm
// like the others.
void Warm(MemorySide& memorySide, QtSide& qtSide) {
    memorySide.control.Refresh();
    qtSide.widget.Refresh();
    Clock::duration events{}, paint{};
    qtSide.Settle(events, paint);
}

void BM_DenseMonthRefresh(benchmark::State& state) {
    MemorySide memorySide;
    QtSide qtSide;
    Warm(memorySide, qtSide);
    Split split;
    for (auto _ : state) {
        const auto start = Clock::now();
        memorySide.control.Refresh();
        const auto memoryDone = Clock::now();
        qtSide.widget.Refresh();
        split.qtWork += Clock::now() - memoryDone;
        split.memory += memoryDone - start;
        qtSide.Settle(split.qtEvents, split.qtPaint);
    }
    if (InstanceOf(memorySide.control).state.MarkerCount != InstanceOf(qtSide.widget.control()).state.MarkerCount)
        state.SkipWithError("the two sides show different markers");
    split.Report(state, InstanceOf(memorySide.control).state.MarkerCount);
}

void BM_DenseMonthPageStep(benchmark::State& state) {
    MemorySide memorySide;
    QtSide qtSide;
    Warm(memorySide, qtSide);
    Split split;
    qt::QtToolbar& toolbar = *qtSide.widget.surface().Toolbar2;
    for (auto _ : state) {
        for (int button : {4, 3}) {  // forward, back
            const auto start = Clock::now();
            memorySide.surface.Toolbar2.UserClickButton(button);
            const auto memoryDone = Clock::now();
            toolbar.Action(button)->trigger();
            split.qtWork += Clock::now() - memoryDone;
            split.memory += memoryDone - start;
            qtSide.Settle(split.qtEvents, split.qtPaint);
        }
    }
    if (dt::Month(qtSide.widget.control().DateValue()) != 5) state.SkipWithError("the page step did not come back");
    split.Report(state, InstanceOf(memorySide.control).state.MarkerCount);
}

BENCHMARK(BM_DenseMonthRefresh)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DenseMonthPageStep)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
} // namespace agendor

int main(int argc, char** argv) {
    // The benchmark needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
