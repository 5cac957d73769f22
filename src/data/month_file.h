// The monthly measurement file (D%04d%02d.dmd): reading and writing one month.
#pragma once

#include <filesystem>
#include <string>

#include "data/month_record.h"
#include "data/storage_context.h"

namespace pelnor {

inline constexpr const char* kMonthFileSignature = "49406515574540654105456475894510154020030901";

enum class MonthReadOutcome {
  Read,
  Missing,    // no file: an empty month
  NotOpened,  // the file is there but could not be opened (held elsewhere, no permission)
  Damaged,    // opened, but not readable to its end: the month holds what came before
  Trailing    // read whole, but more bytes follow its last day: a save would drop them
};
// Whether a save must keep the stored file beside first: it holds bytes the month lacks.
constexpr bool keepsDamagedCopy(MonthReadOutcome outcome) {
  return outcome == MonthReadOutcome::Damaged || outcome == MonthReadOutcome::Trailing;
}

// Reads a month; a missing file is an empty month. Failures are reported through the
// context and return false; the month then keeps the whole days and readings read
// before the failure. Bytes after the last day are no failure (outcome Trailing).
// fileVersion, when given, receives the version the file had.
bool readMonthFile(const std::filesystem::path& path, MonthRecord& month, const StorageContext& context,
                   int32_t* fileVersion = nullptr, MonthReadOutcome* outcome = nullptr);

// Writes a month as version 3. With onlyIfExists a missing file is left missing.
// The old file is replaced only once the new one is complete.
bool writeMonthFile(const std::filesystem::path& path, const MonthRecord& month, bool onlyIfExists,
                    const StorageContext& context);

// Copies a month file that could not be read to its end to a name no month file has
// ("D202404.dmd.damaged", numbered when that is taken, by a link too), before a save
// replaces it. The file is read and the copy made without following links.
// Returns the copy's path, or an empty path when no copy could be made.
std::filesystem::path keepDamagedCopy(const std::filesystem::path& path);
// The same from the bytes the file held, for a file that is open and kept from others.
std::filesystem::path keepDamagedCopy(const std::filesystem::path& path, std::string_view bytes);

// The file's bytes and back, without any file access. parseMonth throws CTryErr for a
// wrong signature or version (with path in the text) and ArchiveError for a damaged stream;
// trailingBytes, when given, receives how many bytes follow the last day.
int32_t parseMonth(std::string_view bytes, MonthRecord& month, const DeviceDefaults& defaults,
                   const std::filesystem::path& path, std::size_t* trailingBytes = nullptr);
std::string serializeMonth(const MonthRecord& month);

}  // namespace pelnor
