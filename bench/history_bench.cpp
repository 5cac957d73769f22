// Loading a device's past months and aggregating them.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

#include "bench/bench_root.h"
#include "data/aggregation.h"
#include "data/device_history.h"
#include "support/temp_dir.h"

namespace pelnor::bench {
namespace {

// A root of 99 full months of device 12, and what loading from it needs.
struct Root99 {
  explicit Root99(benchmark::State& state) {
    if (!writeBenchRoot(dir.path(), 99, reporter)) state.SkipWithError("could not write the root");
    registry.load(dir.path(), storage);
  }

  test::TempDir dir;
  SilentReporter reporter;
  StorageContext storage{reporter, {}, {}, false};
  DeviceRegistry registry;
  DataLocation location{dir.path()};
  HistoryEnv env{registry, location, storage, 50000};
};

void BM_Load99FullMonths(benchmark::State& state) {
  Root99 root(state);
  DeviceHistory history;
  for (auto _ : state) {
    history.loadPastMonths(12, lastBenchMonth(), 99, root.env);  // loadMonth x 99, then aggregateAll
    benchmark::DoNotOptimize(history.months.back().demandStats.max.demandKw);
  }
}
BENCHMARK(BM_Load99FullMonths)->Unit(benchmark::kMillisecond);

// The same as a fresh process meets it: each iteration loads into a new history, and the
// memory of the one before is handed back to the system first (outside the timing), so
// the months' pages are taken from the kernel anew, not from the allocator's free lists.
void BM_Load99FullMonthsCold(benchmark::State& state) {
  Root99 root(state);
  for (auto _ : state) {
    auto history = std::make_unique<DeviceHistory>();
    history->loadPastMonths(12, lastBenchMonth(), 99, root.env);
    benchmark::DoNotOptimize(history->months.back().demandStats.max.demandKw);
    state.PauseTiming();
    history.reset();
    malloc_trim(0);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Load99FullMonthsCold)->Unit(benchmark::kMillisecond);

void BM_AggregateFullMonth(benchmark::State& state) {
  MonthRecord month = fullMonth(DateTime::fromFields(2024, 4, 1));
  for (auto _ : state) {
    aggregateMonth(month, 50000);
    benchmark::DoNotOptimize(month.demandStats.max.demandKw);
  }
}
BENCHMARK(BM_AggregateFullMonth)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pelnor::bench
