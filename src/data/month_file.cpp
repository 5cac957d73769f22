#include "data/month_file.h"

#include "data/archive.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr const char* kModule = ".\\DAT_DATA";
constexpr int kReadLine = 455;
constexpr int kWriteLine = 492;

constexpr std::size_t kReadingBytes = 20;
constexpr int32_t kOldestVersion = 1;
constexpr int32_t kDayHeaderVersion = 2;

Reading readReading(ArchiveReader& in) {
  Reading r;
  r.hour = in.readInt32();
  r.minute = in.readInt32();
  r.pulseCount = in.readInt32();
  r.temperature = in.readFloat64();
  return r;
}

CTryErr errorWithPath(const char* text, const std::filesystem::path& path) {
  return CTryErr(formatText("%s\n%s", text, path.c_str()));
}

}  // namespace

int32_t parseMonth(std::string_view bytes, MonthRecord& month, const DeviceDefaults& defaults,
                   const std::filesystem::path& path) {
  ArchiveReader in(bytes);
  std::string signature = in.readString();
  int32_t version = in.readInt32();
  if (signature != kMonthFileSignature) throw errorWithPath("ファイルが壊れている可能性があります", path);
  if (version < kOldestVersion || version > kCurrentFileVersion) {
    throw errorWithPath("このバージョンは読めません", path);
  }
  month.month = in.readDateTime();
  if (version >= kReportVersion) month.report = readReportInfo(in);

  std::size_t minDayBytes = 2 + (version >= kDayHeaderVersion ? minDeviceRecordBytes(version) : 0);
  uint32_t dayCount = in.readCount(minDayBytes);
  if (dayCount > kDaysPerMonth) throw ArchiveError("日数が多すぎます");
  for (uint32_t d = 0; d < dayCount; ++d) {
    DayRecord& day = month.days[d];
    if (version >= kDayHeaderVersion) day.header = readDeviceRecord(in, version, defaults);
    uint32_t readingCount = in.readCount(kReadingBytes);
    day.readings.reserve(readingCount);
    for (uint32_t i = 0; i < readingCount; ++i) day.readings.push_back(readReading(in));
  }
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
                   int32_t* fileVersion) {
  month.clearDays(context.defaults);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return true;
  try {
    UniqueFd file;
    if (openWithRetry(file, path, OpenMode::Read, context.retry.monthFileLimitMs, context.reporter,
                      context.retry.intervalMs) != kOpenOk) {
      throw errorWithPath("ファイルがリードオープン出来ません", path);
    }
    std::string bytes = readAll(file.get());
    int32_t version = parseMonth(bytes, month, context.defaults, path);
    if (fileVersion) *fileVersion = version;
    return true;
  } catch (...) {
    reportCurrentException(context.reporter, kModule, kReadLine);
    return false;
  }
}

bool writeMonthFile(const std::filesystem::path& path, const MonthRecord& month, bool onlyIfExists,
                    const StorageContext& context) {
  std::error_code ec;
  if (onlyIfExists && !std::filesystem::exists(path, ec)) return true;
  try {
    UniqueFd lock;
    if (openWithRetry(lock, path, OpenMode::Write, context.retry.monthFileLimitMs, context.reporter,
                      context.retry.intervalMs) != kOpenOk) {
      throw errorWithPath("ファイルがライトオープン出来ません", path);
    }
    replaceFileContents(path, serializeMonth(month), context.syncToDisk);
    return true;
  } catch (...) {
    reportCurrentException(context.reporter, kModule, kWriteLine);
    return false;
  }
}

}  // namespace pelnor
