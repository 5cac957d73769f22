#include "data/ini_file.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "data/file_errors.h"
#include "data/path_text.h"
#include "data/text.h"

namespace pelnor {

namespace {

// The file as lines of cp932 text, without their line ends.
std::vector<std::string> readLines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

void writeLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  std::error_code ec;
  // A read-only file stays as it is, as the platform's profile functions leave it.
  if (std::filesystem::exists(path, ec) && !canWrite(path)) return;
  try {
    UniqueFd none;
    saveFileContents(path, none, bytes, false, "");
  } catch (const std::exception&) {
    // Settings that cannot be written are lost quietly, as with the platform's functions.
  }
}

// ASCII letters compare without case; the bytes of double-byte characters as they are.
bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (isCp932LeadByte(x)) {
      if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::string withoutLineBreaks(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != '\r' && c != '\n') out += c;
  }
  return out;
}

// The section name of a "[name]" line.
std::optional<std::string_view> sectionOf(std::string_view line) {
  line = trimBlanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) close = line.size();
  return trimBlanks(line.substr(1, close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> keyOf(std::string_view line) {
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return KeyLine{trimBlanks(line.substr(0, eq)), trimBlanks(line.substr(eq + 1))};
}

// Where a key stands in the lines: the line of the section header (or npos), the line of
// the key (or npos), and the line after the last entry of the section.
struct Place {
  std::size_t section = std::string::npos;
  std::size_t key = std::string::npos;
  std::size_t sectionEnd = std::string::npos;
};

Place locate(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
  Place place;
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (auto name = sectionOf(lines[i])) {
      if (inSection) break;  // the first matching section only
      inSection = sameName(*name, section);
      if (inSection) place.section = i, place.sectionEnd = i + 1;
      continue;
    }
    if (!inSection) continue;
    if (!trimBlanks(lines[i]).empty()) place.sectionEnd = i + 1;
    if (place.key != std::string::npos) continue;
    if (auto entry = keyOf(lines[i]); entry && sameName(entry->key, key)) place.key = i;
  }
  return place;
}

std::optional<std::string> readValue(const std::filesystem::path& path, const std::string& section,
                                     const std::string& key) {
  std::vector<std::string> lines = readLines(path);
  Place place = locate(lines, utf8ToCp932(section), utf8ToCp932(key));
  if (place.key == std::string::npos) return std::nullopt;
  std::string_view value = keyOf(lines[place.key])->value;
  // A value in matching quotes is read without them.
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return cp932ToUtf8(cutCp932(value, CIniFile::kMaxValueBytes));
}

}  // namespace

void CIniFile::Open(const std::filesystem::path& programDir, const std::string& baseName) {
  programDir_ = programDir;
  baseName_ = baseName;
  path_ = programDir / pathFromText(baseName + ".INI");
}

void CIniFile::OpenFile(const std::filesystem::path& settingsFile) {
  programDir_ = settingsFile.parent_path();
  baseName_ = pathText(settingsFile.stem());
  path_ = settingsFile;
}

int32_t CIniFile::GetInt(const std::string& section, const std::string& key, int32_t def,
                         const std::filesystem::path& file, bool writeBack) const {
  std::optional<std::string> text = readValue(target(file), section, key);
  int32_t value = text ? parseIntPrefix(*text) : def;
  if (writeBack && value == def) WriteInt(section, key, def, file);
  return value;
}

std::string CIniFile::GetString(const std::string& section, const std::string& key, const std::string& def,
                                const std::filesystem::path& file, bool writeBack) const {
  std::string value = readValue(target(file), section, key).value_or(def);
  if (writeBack && value == def) WriteString(section, key, def, file);
  return value;
}

void CIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value,
                           const std::filesystem::path& file) const {
  if (readOnly_) return;
  const std::filesystem::path& path = target(file);
  std::string sectionText = utf8ToCp932(withoutLineBreaks(section));
  std::string keyText = utf8ToCp932(withoutLineBreaks(key));
  std::string line = keyText + "=" + utf8ToCp932(withoutLineBreaks(value));
  std::vector<std::string> lines = readLines(path);
  Place place = locate(lines, sectionText, keyText);
  if (place.key != std::string::npos) {
    lines[place.key] = line;
  } else if (place.section != std::string::npos) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.sectionEnd), line);
  } else {
    lines.push_back("[" + sectionText + "]");
    lines.push_back(line);
  }
  writeLines(path, lines);
}

void CIniFile::WriteInt(const std::string& section, const std::string& key, int32_t value,
                        const std::filesystem::path& file) const {
  WriteString(section, key, formatText("%ld", static_cast<long>(value)), file);
}

void CIniFile::WriteUInt(const std::string& section, const std::string& key, uint32_t value,
                         const std::filesystem::path& file) const {
  WriteString(section, key, formatText("%lu", static_cast<unsigned long>(value)), file);
}

void CIniFile::DeleteKey(const std::string& section, const std::string& key,
                         const std::filesystem::path& file) const {
  if (readOnly_) return;
  const std::filesystem::path& path = target(file);
  std::vector<std::string> lines = readLines(path);
  Place place = locate(lines, utf8ToCp932(section), utf8ToCp932(key));
  if (place.key == std::string::npos) return;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(place.key));
  writeLines(path, lines);
}

}  // namespace pelnor
