// What every file operation needs besides its path: someone to report to, the
// settings defaults for new records, and the open retry timing.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "data/device_record.h"
#include "data/file_system.h"
#include "data/reporter.h"

namespace pelnor {

struct StorageContext {
  Reporter& reporter;
  DeviceDefaults defaults;
  OpenRetry retry;
  bool syncToDisk = true;  // flush written files to disk before they replace the old ones
  // Set by a cancelled reception: waiting for a file another program holds ends at once.
  const std::atomic<bool>* abandon = nullptr;
  // A line for the application log, for what the user is not asked about.
  std::function<void(const std::string&)> log{};
};

}  // namespace pelnor
