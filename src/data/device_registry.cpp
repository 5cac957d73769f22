#include "data/device_registry.h"

#include <algorithm>
#include <stdexcept>

#include "data/data_locks.h"
#include "data/device_merge.h"
#include "data/month_file.h"
#include "data/save_leftovers.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace {

// Where load and save failures are said to come from.
constexpr const char* kModule = ".\\PelnorDoc";
constexpr int kModuleLine = 132;

std::filesystem::path masterPath(const std::filesystem::path& root) { return root / kMasterFileName; }

constexpr const char* kOpenFailure = "ファイルを開くことが出来ません";
constexpr const char* kDamagedCopyFailed = "壊れた機器マスタの控えを作れないため、保存を中止しました";
constexpr const char* kDamagedCopyKept = "壊れた機器マスタの控えを保存しました:";

CTryErr cannotOpen(const std::filesystem::path& path) {
  return CTryErr(formatText("%s\n%s", kOpenFailure, pathText(path).c_str()));
}

}  // namespace

void DeviceRegistry::read(ArchiveReader& in) {
  int32_t version = in.readInt32();
  loadedVersion_ = version;
  std::string_view block = in.readRaw(sizeof(int32_t) * commSettings.size());
  ArchiveReader settings(block);
  for (int32_t& value : commSettings) value = settings.readInt32();
  if (version >= kReportVersion) report = readReportInfo(in);
  // Record by record: a damaged file keeps the devices read before the damage.
  uint32_t count = in.readCount();
  std::vector<DeviceRecord> records;
  records.reserve(in.reserveFor(count, minDeviceRecordBytes(version)));
  try {
    for (uint32_t i = 0; i < count; ++i) records.push_back(readDeviceRecord(in, version, defaults_));
  } catch (...) {
    putAll(std::move(records));
    throw;
  }
  putAll(std::move(records));
}

void DeviceRegistry::putAll(std::vector<DeviceRecord> records) {
  // Sorted once, not inserted one by one: a file in descending order would move every
  // record for every record. Of equal IDs the last in the file wins, as with put.
  std::stable_sort(records.begin(), records.end(),
                   [](const DeviceRecord& a, const DeviceRecord& b) { return a.deviceId < b.deviceId; });
  auto last = std::unique(records.rbegin(), records.rend(), [](const DeviceRecord& a, const DeviceRecord& b) {
    return a.deviceId == b.deviceId;
  });
  records.erase(records.begin(), last.base());
  if (devices_.empty()) {
    devices_ = std::move(records);
    return;
  }
  for (DeviceRecord& record : records) put(record);
}

std::string DeviceRegistry::serialize() const {
  ArchiveWriter out;
  out.writeInt32(kCurrentFileVersion);
  ArchiveWriter settings;
  for (int32_t value : commSettings) settings.writeInt32(value);
  out.writeRaw(settings.bytes());
  writeReportInfo(out, report);
  out.writeCount(static_cast<uint32_t>(devices_.size()));
  for (const DeviceRecord& d : devices_) writeDeviceRecord(out, d);
  return out.bytes();
}

bool DeviceRegistry::load(const std::filesystem::path& root, const StorageContext& context) {
  return loadFile(masterPath(root), context);
}

bool DeviceRegistry::save(const std::filesystem::path& root, const StorageContext& context) {
  return saveChanges(masterPath(root), context);
}

bool DeviceRegistry::saveOrReload(const std::filesystem::path& root, const StorageContext& context) {
  if (save(root, context)) return true;
  load(root, context);
  return false;
}

DeviceRegistry::FileStamp DeviceRegistry::stampOf(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code ec;
  const auto modified = std::filesystem::last_write_time(path, ec);
  return FileStamp{static_cast<int64_t>(bytes.size()),
                   ec ? 0 : static_cast<int64_t>(modified.time_since_epoch().count()),
                   std::hash<std::string_view>{}(bytes)};
}

bool DeviceRegistry::loadFile(const std::filesystem::path& path, const StorageContext& context) {
  reset();
  loadedVersion_ = kCurrentFileVersion;
  baseline_.file.reset();
  bool ok = true;
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) {
    baseline_.file = FileStamp{};  // there, but not (yet) read
    try {
      UniqueFd file;
      if (openWithRetry(file, path, OpenMode::Read, context.retry.masterFileLimitMs, context.reporter,
                        context.retry.intervalMs, context.abandon) != kOpenOk) {
        throw cannotOpen(path);
      }
      std::string bytes = readAll(file.get());
      baseline_.file = stampOf(path, bytes);
      ArchiveReader in(bytes);
      read(in);
    } catch (...) {
      reportCurrentException(context.reporter, kModule, kModuleLine);
      ok = false;
    }
  }
  baseline_.state = serialize();
  return ok;
}

bool DeviceRegistry::saveChanges(const std::filesystem::path& path, const StorageContext& context) {
  if (serialize() == baseline_.state) return true;  // nothing of ours to write
  // The user is asked with the master let go, so that no other program waits for the
  // answer; a question answered before is not asked again when the file moved meanwhile.
  Answers answers;
  for (;;) {
    std::vector<std::string> questions;
    if (!saveUnderLock(path, context, answers, questions)) return false;
    if (questions.empty()) return true;
    for (const std::string& question : questions) {
      context.reporter.beep();
      answers.emplace(question, context.reporter.askWhichToKeep(question));
    }
  }
}

bool DeviceRegistry::saveUnderLock(const std::filesystem::path& path, const StorageContext& context,
                                   const Answers& answers, std::vector<std::string>& questions) {
  FileLock lock;
  if (!lockMasterFile(lock, path, context)) return false;
  removeSaveLeftovers(path.parent_path());  // no other save of the master is under way
  try {
    UniqueFd file;
    if (openWithRetry(file, path, OpenMode::Write, context.retry.masterFileLimitMs, context.reporter,
                      context.retry.intervalMs, context.abandon) != kOpenOk) {
      throw cannotOpen(path);
    }
    // The file as it is now; a missing one leaves the file descriptor invalid.
    DeviceRegistry onDisk(defaults_);
    std::optional<FileStamp> now;
    bool damaged = false;
    std::string stored;
    if (file.valid()) {
      stored = readAll(file.get());
      now = stampOf(path, stored);
      try {
        ArchiveReader in(stored);
        onDisk.read(in);
      } catch (const ArchiveError&) {
        damaged = true;  // the devices before the damage are kept
      }
    }
    DeviceRegistry merged = *this;
    if (damaged || now != baseline_.file) {
      // Another program saved it since we read it: our changes go into its version.
      DeviceRegistry before(defaults_);
      ArchiveReader in(baseline_.state);
      before.read(in);
      merged = mergeRegistries(before, *this, onDisk, [&](const std::string& question) {
        if (auto answer = answers.find(question); answer != answers.end()) return answer->second;
        questions.push_back(question);
        return Reporter::Keep::Theirs;  // for now; nothing is written before the answer
      });
      if (!questions.empty()) return true;
    }
    if (damaged && !keepDamaged(path, stored, context)) return false;
    const std::string bytes = merged.serialize();
    saveFileContents(path, file, bytes, context.syncToDisk, kOpenFailure);
    devices_ = std::move(merged.devices_);
    commSettings = merged.commSettings;
    report = merged.report;
    loadedVersion_ = kCurrentFileVersion;
    baseline_ = Baseline{bytes, stampOf(path, bytes)};
    return true;
  } catch (...) {
    reportCurrentException(context.reporter, kModule, kModuleLine);
    return false;
  }
}

bool DeviceRegistry::keepDamaged(const std::filesystem::path& path, std::string_view bytes,
                                 const StorageContext& context) {
  const std::filesystem::path copy = keepDamagedCopy(path, bytes);
  if (copy.empty()) {
    context.reporter.info(formatText("%s\n%s", kDamagedCopyFailed, pathText(path).c_str()));
    return false;
  }
  if (context.log)
    context.log(formatText("%s %s -> %s", kDamagedCopyKept, pathText(path).c_str(), pathText(copy).c_str()));
  return true;
}

bool DeviceRegistry::saveFile(const std::filesystem::path& path, const StorageContext& context) const {
  try {
    UniqueFd lock;
    if (openWithRetry(lock, path, OpenMode::Write, context.retry.masterFileLimitMs, context.reporter,
                      context.retry.intervalMs, context.abandon) != kOpenOk) {
      throw cannotOpen(path);
    }
    saveFileContents(path, lock, serialize(), context.syncToDisk, kOpenFailure);
    return true;
  } catch (...) {
    reportCurrentException(context.reporter, kModule, kModuleLine);
    return false;
  }
}

void DeviceRegistry::reset() {
  devices_.clear();
  commSettings = kDefaultCommSettings;
}

const DeviceRecord& DeviceRegistry::deviceAt(int position) const {
  if (position < 0 || position >= count()) throw std::invalid_argument("device position out of range");
  return devices_[static_cast<std::size_t>(position)];
}

std::vector<DeviceRecord>::const_iterator DeviceRegistry::lowerBound(int32_t deviceId) const {
  return std::lower_bound(devices_.begin(), devices_.end(), deviceId,
                          [](const DeviceRecord& d, int32_t id) { return d.deviceId < id; });
}

bool DeviceRegistry::find(int32_t deviceId, DeviceRecord& out) const {
  int position = positionOf(deviceId);
  if (position < 0) {
    out = DeviceRecord::makeNew(defaults_);
    return false;
  }
  out = devices_[static_cast<std::size_t>(position)];
  return true;
}

int DeviceRegistry::positionOf(int32_t deviceId) const {
  auto it = lowerBound(deviceId);
  if (it == devices_.end() || it->deviceId != deviceId) return -1;
  return static_cast<int>(it - devices_.begin());
}

int DeviceRegistry::put(const DeviceRecord& record) {
  auto it = lowerBound(record.deviceId);
  auto position = it - devices_.cbegin();
  if (it != devices_.end() && it->deviceId == record.deviceId) {
    devices_[static_cast<std::size_t>(position)] = record;
  } else {
    devices_.insert(it, record);
  }
  return static_cast<int>(position);
}

void DeviceRegistry::removeAt(int position) {
  if (position < 0 || position >= count()) throw std::invalid_argument("device position out of range");
  devices_.erase(devices_.begin() + position);
}

}  // namespace pelnor
