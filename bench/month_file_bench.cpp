// Reading and writing one full month file.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"
#include "data/month_file.h"
#include "support/temp_dir.h"

namespace pelnor::bench {
namespace {

void BM_ReadFullMonth(benchmark::State& state) {
  test::TempDir dir;
  SilentReporter reporter;
  StorageContext context{reporter, {}, {}, false};
  auto path = dir / "D202404.dmd";
  writeMonthFile(path, fullMonth(DateTime::fromFields(2024, 4, 1)), false, context);
  MonthRecord month;
  for (auto _ : state) {
    if (!readMonthFile(path, month, context)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(month.days[30].readings.data());
  }
}
BENCHMARK(BM_ReadFullMonth)->Unit(benchmark::kMicrosecond);

void BM_WriteFullMonth(benchmark::State& state) {
  test::TempDir dir;
  SilentReporter reporter;
  StorageContext context{reporter, {}, {}, state.range(0) != 0};
  auto path = dir / "D202404.dmd";
  MonthRecord month = fullMonth(DateTime::fromFields(2024, 4, 1));
  for (auto _ : state) {
    if (!writeMonthFile(path, month, false, context)) state.SkipWithError("write failed");
  }
}
BENCHMARK(BM_WriteFullMonth)->ArgName("syncToDisk")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pelnor::bench
