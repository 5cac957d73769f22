#include "data/device_registry.h"

#include <algorithm>
#include <stdexcept>

#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace {

// Where load and save failures are said to come from.
constexpr const char* kModule = ".\\PelnorDoc";
constexpr int kModuleLine = 132;

std::filesystem::path masterPath(const std::filesystem::path& root) { return root / kMasterFileName; }

constexpr const char* kOpenFailure = "ファイルを開くことが出来ません";

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
  devices_.reserve(in.reserveFor(count, minDeviceRecordBytes(version)));
  for (uint32_t i = 0; i < count; ++i) put(readDeviceRecord(in, version, defaults_));
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

bool DeviceRegistry::save(const std::filesystem::path& root, const StorageContext& context) const {
  return saveFile(masterPath(root), context);
}

bool DeviceRegistry::loadFile(const std::filesystem::path& path, const StorageContext& context) {
  reset();
  loadedVersion_ = kCurrentFileVersion;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return true;
  try {
    UniqueFd file;
    if (openWithRetry(file, path, OpenMode::Read, context.retry.masterFileLimitMs, context.reporter,
                      context.retry.intervalMs) != kOpenOk) {
      throw cannotOpen(path);
    }
    std::string bytes = readAll(file.get());
    ArchiveReader in(bytes);
    read(in);
    return true;
  } catch (...) {
    reportCurrentException(context.reporter, kModule, kModuleLine);
    return false;
  }
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
