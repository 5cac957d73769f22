#include "data/ini_file.h"

#include "data/ini_document.h"
#include "data/path_text.h"

namespace pelnor {

void CIniFile::Open(const std::filesystem::path& programDir, const std::string& baseName) {
  programDir_ = programDir;
  baseName_ = baseName;
  path_ = programDir / pathFromText(baseName + ".INI");
  location_ = IniDocument::Location::DataRoot;
}

void CIniFile::OpenFile(const std::filesystem::path& settingsFile) {
  programDir_ = settingsFile.parent_path();
  baseName_ = pathText(settingsFile.stem());
  path_ = settingsFile;
  location_ = IniDocument::Location::NamedByUser;
}

IniDocument CIniFile::document(const std::filesystem::path& file) const {
  return IniDocument(target(file), readOnly_, location_);
}

// One call, one reading of the file and at most one writing, as the profile functions do.

int32_t CIniFile::GetInt(const std::string& section, const std::string& key, int32_t def,
                         const std::filesystem::path& file, bool writeBack) const {
  IniDocument doc = document(file);
  int32_t value = doc.getInt(section, key, def, writeBack);
  doc.save();
  return value;
}

std::string CIniFile::GetString(const std::string& section, const std::string& key, const std::string& def,
                                const std::filesystem::path& file, bool writeBack) const {
  IniDocument doc = document(file);
  std::string value = doc.getString(section, key, def, writeBack);
  doc.save();
  return value;
}

void CIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value,
                           const std::filesystem::path& file) const {
  IniDocument doc = document(file);
  doc.write(section, key, value);
  doc.save();
}

void CIniFile::WriteInt(const std::string& section, const std::string& key, int32_t value,
                        const std::filesystem::path& file) const {
  IniDocument doc = document(file);
  doc.writeInt(section, key, value);
  doc.save();
}

void CIniFile::WriteUInt(const std::string& section, const std::string& key, uint32_t value,
                         const std::filesystem::path& file) const {
  IniDocument doc = document(file);
  doc.writeUInt(section, key, value);
  doc.save();
}

void CIniFile::DeleteKey(const std::string& section, const std::string& key,
                         const std::filesystem::path& file) const {
  IniDocument doc = document(file);
  doc.remove(section, key);
  doc.save();
}

}  // namespace pelnor
