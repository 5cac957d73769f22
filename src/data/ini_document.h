// A private-profile (INI) file held in memory: read once, looked up and changed with the
// rules of the platform's profile functions, and written once, only when its bytes changed.
// Sections and keys compare without regard to letter case, the first match wins, values
// are trimmed, and a change keeps every other line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pelnor {

class IniDocument {
 public:
  // A value is read into a buffer of 5000 bytes with its terminator.
  static constexpr std::size_t kMaxValueBytes = 4999;

  // Where the file is decides whether a link at its path is followed: the settings the
  // program keeps in its own data root are files of that root (owned_file.h), and a link
  // or device there is neither read nor written; a settings file the user names is read
  // through its links.
  enum class Location { DataRoot, NamedByUser };

  // Reads the file (a missing one is empty). A read-only document, or a file that exists
  // but cannot be written, takes no change, as the profile functions would fail to write.
  IniDocument(std::filesystem::path path, bool readOnly, Location location = Location::DataRoot);

  // The value as UTF-8; empty when the key is not there.
  std::optional<std::string> value(const std::string& section, const std::string& key) const;
  // With writeBack, a result equal to the default is written back, so that every key
  // appears in the file.
  int32_t getInt(const std::string& section, const std::string& key, int32_t def, bool writeBack);
  std::string getString(const std::string& section, const std::string& key, const std::string& def,
                        bool writeBack);

  // Line breaks in any part are dropped: a value never creates another line.
  void write(const std::string& section, const std::string& key, const std::string& value);
  void writeInt(const std::string& section, const std::string& key, int32_t value);
  void writeUInt(const std::string& section, const std::string& key, uint32_t value);
  void remove(const std::string& section, const std::string& key);

  // Writes the file when its bytes are not those read. Failures are ignored: settings that
  // cannot be written are lost quietly, as with the platform's functions.
  void save() const;

 private:
  std::filesystem::path path_;
  bool writable_ = true;
  bool existed_ = false;
  std::string readBytes_;
  std::vector<std::string> lines_;  // cp932, without their line ends
};

}  // namespace pelnor
