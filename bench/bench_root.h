// A data root with device 12 registered and `months` full months of it, ending in
// December 2024.
#pragma once

#include <filesystem>

#include "bench/bench_support.h"
#include "data/data_location.h"
#include "data/device_registry.h"
#include "data/month_file.h"

namespace pelnor::bench {

inline DateTime lastBenchMonth() { return DateTime::fromFields(2024, 12, 1); }

inline bool writeBenchRoot(const std::filesystem::path& root, int months, Reporter& reporter) {
  StorageContext storage{reporter, {}, {}, false};
  DeviceRegistry registry;
  DeviceRecord device;
  device.deviceId = 12;
  device.customerName = "山田工業";
  registry.put(device);
  if (!registry.save(root, storage)) return false;
  DataLocation location(root);
  DataLocation::createFolderPath(location.deviceFolder(12));
  DateTime month = lastBenchMonth();
  for (int i = 0; i < months; ++i) {
    if (!writeMonthFile(location.monthFile(12, month), fullMonth(month), false, storage)) return false;
    month = month.addDays(-1).firstOfMonth();
  }
  return true;
}

}  // namespace pelnor::bench
