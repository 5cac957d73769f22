// What every file operation needs besides its path: someone to report to, the
// settings defaults for new records, and the open retry timing.
#pragma once

#include "data/device_record.h"
#include "data/file_errors.h"
#include "data/reporter.h"

namespace pelnor {

struct StorageContext {
  Reporter& reporter;
  DeviceDefaults defaults;
  OpenRetry retry;
  bool syncToDisk = true;  // flush written files to disk before they replace the old ones
};

}  // namespace pelnor
