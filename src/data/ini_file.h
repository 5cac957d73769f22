// A private-profile (INI) file in cp932: sections and keys compared without regard to
// letter case, the first match wins, values trimmed, and a write keeps every other line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "data/ini_document.h"

namespace pelnor {

class CIniFile {
 public:
  // A value is read into a buffer of 5000 bytes with its terminator.
  static constexpr std::size_t kMaxValueBytes = IniDocument::kMaxValueBytes;

  // Sets the program folder and base name; the settings file is "<dir>/<base>.INI". The
  // program folder is the own data root: no file of it is read or written through a link.
  void Open(const std::filesystem::path& programDir, const std::string& baseName);
  // A settings file of any name that the user named; its folder stands for the program
  // folder, and its files are read through their links.
  void OpenFile(const std::filesystem::path& settingsFile);

  // A missing file argument (empty path) means the settings file. With writeBack, a
  // result equal to the default is written back, so that every key appears in the file.
  int32_t GetInt(const std::string& section, const std::string& key, int32_t def,
                 const std::filesystem::path& file = {}, bool writeBack = false) const;
  std::string GetString(const std::string& section, const std::string& key, const std::string& def,
                        const std::filesystem::path& file = {}, bool writeBack = false) const;

  // Write failures are ignored. Line breaks in any part are dropped: a value never
  // creates another line in the file.
  void WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::filesystem::path& file = {}) const;
  void WriteInt(const std::string& section, const std::string& key, int32_t value,
                const std::filesystem::path& file = {}) const;
  void WriteUInt(const std::string& section, const std::string& key, uint32_t value,
                 const std::filesystem::path& file = {}) const;
  void DeleteKey(const std::string& section, const std::string& key,
                 const std::filesystem::path& file = {}) const;

  // The file (a missing file argument: the settings file) in memory, for many reads and
  // writes in one go; nothing reaches the file before its save().
  IniDocument document(const std::filesystem::path& file = {}) const;

  const std::filesystem::path& Path() const { return path_; }
  const std::filesystem::path& ProgramDir() const { return programDir_; }
  const std::string& BaseName() const { return baseName_; }

  // A read-only accessor never writes (the command line reads the program's settings).
  void setReadOnly(bool readOnly) { readOnly_ = readOnly; }

 private:
  const std::filesystem::path& target(const std::filesystem::path& file) const {
    return file.empty() ? path_ : file;
  }

  std::filesystem::path programDir_;
  std::string baseName_;
  std::filesystem::path path_;
  bool readOnly_ = false;
  IniDocument::Location location_ = IniDocument::Location::DataRoot;
};

}  // namespace pelnor
