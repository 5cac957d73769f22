// All registered devices, sorted by device ID, with the communication settings: the
// in-memory form of the device master file MCDATA.MST under a data root.
#pragma once

#include <array>
#include <filesystem>
#include <vector>

#include "data/device_record.h"
#include "data/storage_context.h"

namespace pelnor {

// Port number, baud rate, data bits, stop bits, parity, flow control.
using CommSettings = std::array<int32_t, 6>;
constexpr CommSettings kDefaultCommSettings{1, 38400, 8, 0, 0, 1};

inline constexpr const char* kMasterFileName = "MCDATA.MST";

class DeviceRegistry {
 public:
  explicit DeviceRegistry(DeviceDefaults defaults = {}) : defaults_(defaults) {}

  // Reads root/MCDATA.MST; a missing file leaves an empty registry. Failures are
  // reported through the context and return false.
  bool load(const std::filesystem::path& root, const StorageContext& context);
  bool save(const std::filesystem::path& root, const StorageContext& context) const;
  // The same for a master file at any path.
  bool loadFile(const std::filesystem::path& path, const StorageContext& context);
  bool saveFile(const std::filesystem::path& path, const StorageContext& context) const;

  void reset();  // no devices, default comm settings; the report stays
  int count() const { return static_cast<int>(devices_.size()); }
  // Throws std::invalid_argument outside 0..count()-1.
  const DeviceRecord& deviceAt(int position) const;
  bool find(int32_t deviceId, DeviceRecord& out) const;
  int positionOf(int32_t deviceId) const;
  int put(const DeviceRecord& record);
  void removeAt(int position);

  ReportInfo report;
  CommSettings commSettings = kDefaultCommSettings;

  const DeviceDefaults& defaults() const { return defaults_; }
  void setDefaults(const DeviceDefaults& defaults) { defaults_ = defaults; }
  // The version of the last file loaded (the current version before any load).
  int32_t loadedVersion() const { return loadedVersion_; }

  // The file's bytes and back, without any file access; read() throws ArchiveError.
  void read(ArchiveReader& in);
  std::string serialize() const;

 private:
  std::vector<DeviceRecord>::const_iterator lowerBound(int32_t deviceId) const;

  DeviceDefaults defaults_;
  std::vector<DeviceRecord> devices_;
  int32_t loadedVersion_ = kCurrentFileVersion;
};

}  // namespace pelnor
