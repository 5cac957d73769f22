// Loading a device's past months and aggregating them.
#include <benchmark/benchmark.h>

#include "bench/bench_root.h"
#include "data/aggregation.h"
#include "data/device_history.h"
#include "support/temp_dir.h"

namespace pelnor::bench {
namespace {

void BM_Load99FullMonths(benchmark::State& state) {
  test::TempDir dir;
  SilentReporter reporter;
  if (!writeBenchRoot(dir.path(), 99, reporter)) state.SkipWithError("could not write the root");
  StorageContext storage{reporter, {}, {}, false};
  DeviceRegistry registry;
  registry.load(dir.path(), storage);
  DataLocation location(dir.path());
  HistoryEnv env{registry, location, storage, 50000};
  DeviceHistory history;
  for (auto _ : state) {
    history.loadPastMonths(12, lastBenchMonth(), 99, env);  // loadMonth x 99, then aggregateAll
    benchmark::DoNotOptimize(history.months.back().demandStats.max.demandKw);
  }
}
BENCHMARK(BM_Load99FullMonths)->Unit(benchmark::kMillisecond);

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
