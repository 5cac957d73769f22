// Loading a device master of many devices, stored in either order.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"
#include "data/device_registry.h"
#include "data/text.h"
#include "support/temp_dir.h"

namespace pelnor::bench {
namespace {

// A master of `count` devices written in ascending (order 0) or descending (1) ID order:
// the file keeps whatever order another program wrote.
std::string masterBytes(int count, bool descending) {
  DeviceRegistry registry;
  ArchiveWriter out;
  out.writeInt32(kCurrentFileVersion);
  ArchiveWriter settings;
  for (int32_t value : registry.commSettings) settings.writeInt32(value);
  out.writeRaw(settings.bytes());
  writeReportInfo(out, registry.report);
  out.writeCount(static_cast<uint32_t>(count));
  for (int i = 0; i < count; ++i) {
    DeviceRecord record = DeviceRecord::makeNew({});
    record.deviceId = descending ? count - i : i + 1;
    record.customerName = formatText("需要家 %d", record.deviceId);
    writeDeviceRecord(out, record);
  }
  return out.bytes();
}

void BM_LoadMaster(benchmark::State& state) {
  const std::string bytes = masterBytes(static_cast<int>(state.range(0)), state.range(1) != 0);
  for (auto _ : state) {
    DeviceRegistry registry;
    ArchiveReader in(bytes);
    registry.read(in);
    benchmark::DoNotOptimize(registry.count());
  }
}
BENCHMARK(BM_LoadMaster)
    ->ArgNames({"devices", "descending"})
    ->Args({20000, 0})
    ->Args({20000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelnor::bench
