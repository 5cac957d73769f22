#include "data/ini_document.h"

#include <fstream>
#include <iterator>

#include "data/file_system.h"
#include "data/owned_file.h"
#include "data/text.h"

namespace pelnor {

namespace {

// The file's lines of cp932 text, without their line ends.
std::vector<std::string> splitLines(const std::string& bytes) {
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

std::string joinLines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
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

}  // namespace

IniDocument::IniDocument(std::filesystem::path path, bool readOnly, Location location)
    : path_(std::move(path)) {
  if (location == Location::DataRoot && foreignFileProblem(path_)) {
    // Not ours: the settings are the defaults, and quietly not written, as any that
    // cannot be written.
    existed_ = true;
    writable_ = false;
    return;
  }
  std::error_code ec;
  existed_ = std::filesystem::exists(path_, ec);
  // A read-only file stays as it is, as the platform's profile functions leave it.
  writable_ = !readOnly && !(existed_ && !canWrite(path_));
  if (location == Location::DataRoot) {
    readBytes_ = readOwnedFile(path_).value_or(std::string());
  } else {
    std::ifstream in(path_, std::ios::binary);
    readBytes_.assign(std::istreambuf_iterator<char>(in), {});
  }
  lines_ = splitLines(readBytes_);
}

std::optional<std::string> IniDocument::value(const std::string& section, const std::string& key) const {
  Place place = locate(lines_, utf8ToCp932(section), utf8ToCp932(key));
  if (place.key == std::string::npos) return std::nullopt;
  std::string_view text = keyOf(lines_[place.key])->value;
  // A value in matching quotes is read without them.
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
    text = text.substr(1, text.size() - 2);
  }
  return cp932ToUtf8(cutCp932(text, kMaxValueBytes));
}

int32_t IniDocument::getInt(const std::string& section, const std::string& key, int32_t def, bool writeBack) {
  std::optional<std::string> text = value(section, key);
  int32_t result = text ? parseIntPrefix(*text) : def;
  if (writeBack && result == def) writeInt(section, key, def);
  return result;
}

std::string IniDocument::getString(const std::string& section, const std::string& key, const std::string& def,
                                   bool writeBack) {
  std::string result = value(section, key).value_or(def);
  if (writeBack && result == def) write(section, key, def);
  return result;
}

void IniDocument::write(const std::string& section, const std::string& key, const std::string& value) {
  if (!writable_) return;
  std::string sectionText = utf8ToCp932(withoutLineBreaks(section));
  std::string keyText = utf8ToCp932(withoutLineBreaks(key));
  std::string line = keyText + "=" + utf8ToCp932(withoutLineBreaks(value));
  Place place = locate(lines_, sectionText, keyText);
  if (place.key != std::string::npos) {
    lines_[place.key] = line;
  } else if (place.section != std::string::npos) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(place.sectionEnd), line);
  } else {
    lines_.push_back("[" + sectionText + "]");
    lines_.push_back(line);
  }
}

void IniDocument::writeInt(const std::string& section, const std::string& key, int32_t value) {
  write(section, key, formatText("%ld", static_cast<long>(value)));
}

void IniDocument::writeUInt(const std::string& section, const std::string& key, uint32_t value) {
  write(section, key, formatText("%lu", static_cast<unsigned long>(value)));
}

void IniDocument::remove(const std::string& section, const std::string& key) {
  if (!writable_) return;
  Place place = locate(lines_, utf8ToCp932(section), utf8ToCp932(key));
  if (place.key == std::string::npos) return;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(place.key));
}

void IniDocument::save() const {
  if (!writable_) return;
  const std::string bytes = joinLines(lines_);
  if (existed_ ? bytes == readBytes_ : lines_.empty()) return;
  try {
    UniqueFd none;
    saveFileContents(path_, none, bytes, false, "");
  } catch (const std::exception&) {
    // Settings that cannot be written are lost quietly, as with the platform's functions.
  }
}

}  // namespace pelnor
