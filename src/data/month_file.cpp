#include "data/month_file.h"

#include "data/archive.h"
#include "data/owned_file.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr const char* kModule = ".\\DAT_DATA";
constexpr int kReadLine = 455;
constexpr int kWriteLine = 492;

constexpr const char* kWriteOpenFailure = "ファイルがライトオープン出来ません";

constexpr std::size_t kReadingBytes = 20;
constexpr int32_t kOldestVersion = 1;
constexpr int32_t kDayHeaderVersion = 2;

// Appends the readings that follow. They have a fixed size, so all whole ones that are
// there are checked at once and decoded without further checks; a file that ends inside
// one keeps those before it and then fails as any short read does.
void readReadings(ArchiveReader& in, uint32_t count, std::vector<Reading>& readings) {
  const std::size_t whole = in.reserveFor(count, kReadingBytes);
  const char* at = in.readRaw(whole * kReadingBytes).data();
  readings.reserve(readings.size() + whole);
  for (std::size_t i = 0; i < whole; ++i, at += kReadingBytes) {
    readings.push_back(Reading{littleEndianAt<int32_t>(at), littleEndianAt<int32_t>(at + 4),
                               littleEndianAt<int32_t>(at + 8),
                               std::bit_cast<double>(littleEndianAt<uint64_t>(at + 12))});
  }
  if (whole < count) in.readRaw(kReadingBytes);
}

// Read over the day's header in place; a header the file ends in stays new, as a day the
// damage came before.
void readDayHeader(ArchiveReader& in, int32_t version, const DeviceDefaults& defaults, DeviceRecord& header) {
  try {
    readDeviceRecordInto(in, version, defaults, header);
  } catch (...) {
    header = DeviceRecord::makeNew(defaults);
    throw;
  }
}

CTryErr errorWithPath(const char* text, const std::filesystem::path& path) {
  return CTryErr(formatText("%s\n%s", text, pathText(path).c_str()));
}

}  // namespace

int32_t parseMonth(std::string_view bytes, MonthRecord& month, const DeviceDefaults& defaults,
                   const std::filesystem::path& path, std::size_t* trailingBytes) {
  ArchiveReader in(bytes);
  std::string signature = in.readString();
  int32_t version = in.readInt32();
  if (signature != kMonthFileSignature) throw errorWithPath("ファイルが壊れている可能性があります", path);
  if (version < kOldestVersion || version > kCurrentFileVersion) {
    throw errorWithPath("このバージョンは読めません", path);
  }
  month.month = in.readDateTime();
  if (version >= kReportVersion) month.report = readReportInfo(in);

  // Day by day and reading by reading: a damaged file keeps every whole day and every
  // whole reading before the damage.
  uint32_t dayCount = in.readCount();
  if (dayCount > kDaysPerMonth) throw ArchiveError("日数が多すぎます");
  for (uint32_t d = 0; d < dayCount; ++d) {
    DayRecord& day = month.days[d];
    if (version >= kDayHeaderVersion) readDayHeader(in, version, defaults, day.header);
    readReadings(in, in.readCount(), day.readings);
  }
  if (trailingBytes) *trailingBytes = in.remaining();
  return version;
}

std::string serializeMonth(const MonthRecord& month) {
  ArchiveWriter out;
  out.writeString(kMonthFileSignature);
  out.writeInt32(kCurrentFileVersion);
  out.writeDateTime(month.month);
  writeReportInfo(out, month.report);
  out.writeCount(kDaysPerMonth);
  for (const DayRecord& day : month.days) {
    writeDeviceRecord(out, day.header);
    out.writeCount(static_cast<uint32_t>(day.readings.size()));
    for (const Reading& r : day.readings) {
      out.writeInt32(r.hour);
      out.writeInt32(r.minute);
      out.writeInt32(r.pulseCount);
      out.writeFloat64(r.temperature);
    }
  }
  return out.bytes();
}

bool readMonthFile(const std::filesystem::path& path, MonthRecord& month, const StorageContext& context,
                   int32_t* fileVersion, MonthReadOutcome* outcome) {
  MonthReadOutcome result = MonthReadOutcome::Missing;
  month.clearDays(context.defaults);
  UniqueFd file;
  const QuickOpen quick = openRegularFileOnce(file, path);
  if (quick != QuickOpen::Missing) {
    try {
      result = MonthReadOutcome::NotOpened;
      // Held by another program, or not ours to read: wait and say so as always.
      if (quick == QuickOpen::Retry &&
          openWithRetry(file, path, OpenMode::Read, context.retry.monthFileLimitMs, context.reporter,
                        context.retry.intervalMs, context.abandon) != kOpenOk) {
        throw errorWithPath("ファイルがリードオープン出来ません", path);
      }
      result = MonthReadOutcome::Damaged;
      std::string bytes = readAll(file.get());
      std::size_t trailing = 0;
      int32_t version = parseMonth(bytes, month, context.defaults, path, &trailing);
      if (fileVersion) *fileVersion = version;
      result = trailing > 0 ? MonthReadOutcome::Trailing : MonthReadOutcome::Read;
    } catch (...) {
      reportCurrentException(context.reporter, kModule, kReadLine);
    }
  }
  if (outcome) *outcome = result;
  return result == MonthReadOutcome::Read || result == MonthReadOutcome::Trailing ||
         result == MonthReadOutcome::Missing;
}

bool writeMonthFile(const std::filesystem::path& path, const MonthRecord& month, bool onlyIfExists,
                    const StorageContext& context) {
  std::error_code ec;
  if (onlyIfExists && !std::filesystem::exists(path, ec)) return true;
  try {
    UniqueFd lock;
    if (openWithRetry(lock, path, OpenMode::Write, context.retry.monthFileLimitMs, context.reporter,
                      context.retry.intervalMs, context.abandon) != kOpenOk) {
      throw errorWithPath(kWriteOpenFailure, path);
    }
    saveFileContents(path, lock, serializeMonth(month), context.syncToDisk, kWriteOpenFailure);
    return true;
  } catch (...) {
    reportCurrentException(context.reporter, kModule, kWriteLine);
    return false;
  }
}

std::filesystem::path keepDamagedCopy(const std::filesystem::path& path) {
  const std::optional<std::string> bytes = readOwnedFile(path);
  return bytes ? keepDamagedCopy(path, *bytes) : std::filesystem::path();
}

std::filesystem::path keepDamagedCopy(const std::filesystem::path& path, std::string_view bytes) {
  // The first of "D202404.dmd.damaged", ".damaged.2", ... where nothing is, a link neither.
  constexpr int kMostCopies = 1000;
  for (int n = 1; n <= kMostCopies; ++n) {
    std::filesystem::path copy = path;
    copy += n == 1 ? std::string(".damaged") : formatText(".damaged.%d", n);
    switch (createNewFile(copy, bytes)) {
      case NewFile::Written:
        return copy;
      case NewFile::Taken:
        continue;
      case NewFile::Failed:
        return {};
    }
  }
  return {};
}

}  // namespace pelnor
