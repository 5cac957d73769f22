// What a save leaves in a data folder besides the data: the temporary file of a save that
// was killed before its rename, and the lock files of the programs sharing the folder.
// Neither is data: a copy leaves both out, and a writer holding the folder's lock may
// clear the temporaries.
#pragma once

#include <filesystem>

namespace pelnor {

// True for a save's temporary file of a month file or the device master ("D202001.dmd.a1B2c3"
// on POSIX, "D202001.dmd.1234-0.tmp" on Windows) and for "DEVICE.LCK" and "MCDATA.LCK".
// Only the last part of name counts. Temporaries of other files are not recognised, so that
// a user's own "notes.backup" is never taken for one.
bool isSaveLeftover(const std::filesystem::path& name);

// Removes the save temporaries directly in folder (not below it, and never a lock file).
// Call only while holding the folder's lock, or a running save loses its temporary file.
// Failures are ignored: a temporary that stays is harmless.
void removeSaveLeftovers(const std::filesystem::path& folder);

}  // namespace pelnor
