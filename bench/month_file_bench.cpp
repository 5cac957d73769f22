// Reading and writing one full month file.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"
#include "data/month_file.h"
#include "data/text_export.h"
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
// The CSV of a full month with every day's table after it, written to the page cache.
void BM_MonthCsvWithDays(benchmark::State& state) {
  SilentReporter reporter;
  StorageContext context{reporter, {}, {}, false};
  DeviceHistory history;
  history.device.deviceId = 12;
  history.months.push_back(fullMonth(DateTime::fromFields(2024, 1, 1)));
  history.aggregateAll(50000);
  const std::string path = (std::filesystem::temp_directory_path() / "pelnor-bench.csv").string();
  for (auto _ : state) {
    writeCsv(path, history, CsvRequest{Period::Month, DateTime::fromFields(2024, 1, 1), true, 50000},
             context);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_MonthCsvWithDays)->Unit(benchmark::kMillisecond);

}  // namespace pelnor::bench
