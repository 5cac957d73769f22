// Erasing stored readings: one device's folder or the whole data folder of a root. These
// destroy the user's readings, so they remove exactly the folder named and nothing else:
// never a parent, never a folder named after an empty or negative device ID.
#pragma once

#include <cstdint>
#include <string>

#include "data/data_location.h"
#include "data/storage_context.h"

namespace pelnor {

// The longest path that is removed; a longer one is left alone.
constexpr std::size_t kMaxErasedPathChars = 260;

struct EraseResult {
  bool ok = true;
  std::string failure;  // the path and the system's reason, when not ok
};

// Removes DATA/<id> under the location's root with everything below it, holding the
// device's lock while its files go (another program's save is waited for, as long as
// for a month file). A missing folder is fine; an ID below 0 removes nothing and fails.
EraseResult eraseDeviceData(const DataLocation& location, int32_t deviceId, const StorageContext& context);
// Removes the root's DATA folder with everything below it, each device's folder as above.
EraseResult eraseAllData(const DataLocation& location, const StorageContext& context);

}  // namespace pelnor
