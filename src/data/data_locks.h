// The locks of a data root: one writer at a time for a device's months (DEVICE.LCK in
// its folder) and for the device master (MCDATA.LCK beside it). Take a master lock before
// a device lock, never the other way, so that two programs cannot wait for each other.
#pragma once

#include <filesystem>

#include "data/file_lock.h"
#include "data/storage_context.h"

namespace pelnor {

// Holds the device folder's lock, waiting as long as for a month file. With createFolder
// the folder is made first (a save that will write there); without it a missing folder
// needs no lock. False, reported, when another program held it too long or the person
// gave up waiting.
bool lockDeviceFolder(FileLock& lock, const std::filesystem::path& deviceFolder, bool createFolder,
                      const StorageContext& context);

// Holds the lock of a device master file, waiting as long as for the master itself.
bool lockMasterFile(FileLock& lock, const std::filesystem::path& masterFile, const StorageContext& context);

}  // namespace pelnor
