// A temporary data root with device 12 ("山田") registered, and everything the file
// operations of the loaded period need.
#pragma once

#include <gtest/gtest.h>

#include "data/device_history.h"
#include "data/month_file.h"
#include "support/scripted_reporter.h"
#include "support/temp_dir.h"

namespace pelnor::test {

// The root itself, for a test that needs a fresh one per case.
struct DataRoot {
  DataRoot() { registerDevice(12, "山田"); }

  void registerDevice(int32_t id, const std::string& customerName) {
    DeviceRecord device = DeviceRecord::makeNew(defaults);
    device.deviceId = id;
    device.customerName = customerName;
    registry.put(device);
  }

  // Writes a month of device 12 as stored data.
  void store(const MonthRecord& month) {
    DataLocation::createFolderPath(location.deviceFolder(12));
    ASSERT_TRUE(writeMonthFile(location.monthFile(12, month.month), month, false, storage));
  }
  std::filesystem::path monthFile(int year, int month) const {
    return location.monthFile(12, DateTime::fromFields(year, month, 1));
  }

  TempDir dir;
  ScriptedReporter reporter;
  DeviceDefaults defaults;
  StorageContext storage{reporter, defaults, OpenRetry{10, 300, 300}, false};
  DeviceRegistry registry{defaults};
  DataLocation location{dir.path()};
  HistoryEnv env{registry, location, storage, 50000};
  DeviceHistory history;
};

class DataRootTest : public ::testing::Test, public DataRoot {};

}  // namespace pelnor::test
