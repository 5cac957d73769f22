// All registered devices, sorted by device ID, with the communication settings: the
// in-memory form of the device master file MCDATA.MST under a data root.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
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
  // reported through the context and return false. The registry remembers what it
  // loaded, and how the file stood, for save.
  bool load(const std::filesystem::path& root, const StorageContext& context);
  // Saves this registry's changes since it was loaded (or last saved) into
  // root/MCDATA.MST, under the master's lock, and writes nothing when there are none.
  // When another program has saved the file since, the changes are merged field by field
  // into what the file holds now (see mergeRegistries: where both changed the same thing
  // the context's reporter asks which stays, with the master let go meanwhile), and this
  // registry becomes that. A file that cannot be read to its end is kept beside as
  // MCDATA.MST.damaged first.
  bool save(const std::filesystem::path& root, const StorageContext& context);
  // As save; when that fails (reported), this registry becomes what the file holds, so
  // that nothing unsaved is shown as if it were stored.
  bool saveOrReload(const std::filesystem::path& root, const StorageContext& context);
  bool loadFile(const std::filesystem::path& path, const StorageContext& context);
  bool saveChanges(const std::filesystem::path& path, const StorageContext& context);
  // Writes exactly this registry to a master file at any path (the caller holds its lock).
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
  // What a master file held when this registry last read or wrote it.
  struct FileStamp {
    int64_t size = -1;  // -1: the file was there but could not be read
    int64_t modified = 0;
    std::size_t hash = 0;
    bool operator==(const FileStamp&) const = default;
  };
  struct Baseline {
    std::string state;                // this registry then, serialized
    std::optional<FileStamp> file{};  // empty: there was no file
  };
  static FileStamp stampOf(const std::filesystem::path& path, std::string_view bytes);
  // Answers to questions of which change stays, by question.
  using Answers = std::map<std::string, Reporter::Keep>;
  // One try at saving under the master's lock. Questions of which change stays that
  // answers lacks go to questions, and then nothing is written.
  bool saveUnderLock(const std::filesystem::path& path, const StorageContext& context, const Answers& answers,
                     std::vector<std::string>& questions);

  std::vector<DeviceRecord>::const_iterator lowerBound(int32_t deviceId) const;
  // Puts many records at once; of equal IDs the last one wins.
  void putAll(std::vector<DeviceRecord> records);
  // Keeps a master that could not be read to its end; false (reported) when it cannot.
  static bool keepDamaged(const std::filesystem::path& path, std::string_view bytes,
                          const StorageContext& context);

  DeviceDefaults defaults_;
  std::vector<DeviceRecord> devices_;
  int32_t loadedVersion_ = kCurrentFileVersion;
  Baseline baseline_{serialize()};
};

}  // namespace pelnor
