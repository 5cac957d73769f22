#include "data/data_location.h"

#include "data/app_settings.h"
#include "data/device_registry.h"
#include "data/error_reasons.h"
#include "data/text.h"

namespace pelnor {

namespace {

bool sameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  return tidyPath(a) == tidyPath(b);
}

}  // namespace

void DataLocation::setOtherPath(const std::string& text) {
  otherPath_ = std::string(trimBlanks(text));
  mode_ = !otherPath_.empty() && !sameFolder(pathFromText(otherPath_), ownRoot_) ? kOther : kOwn;
}

std::string DataLocation::label() const {
  return isOwn() ? "自分 （このソフトが管理している場所）" : otherPath_;
}

std::filesystem::path DataLocation::masterFile() const { return root() / kMasterFileName; }
std::filesystem::path DataLocation::dataFolder() const { return root() / "DATA"; }

std::filesystem::path DataLocation::deviceFolder(int32_t deviceId) const {
  return dataFolder() / formatText("%05d", deviceId);
}

std::filesystem::path DataLocation::monthFile(int32_t deviceId, const DateTime& date) const {
  CalendarFields f = date.fields();  // -1 for an invalid date
  return deviceFolder(deviceId) / formatText("D%04d%02d.dmd", f.year, f.month);
}

void DataLocation::fallBackToOwnWithoutMaster() {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(masterFile(), ec)) mode_ = kOwn;
}

bool DataLocation::choose(const std::string& otherText, bool ownChosen, Reporter& reporter) {
  setOtherPath(otherText);
  if (ownChosen) setMode(kOwn);
  std::error_code ec;
  if (mode_ == kOther && !std::filesystem::is_regular_file(masterFile(), ec)) {
    warn(reporter, "データが存在しません\n自分（このソフト管理場所）に変えます");
    setMode(kOwn);
    return false;
  }
  return true;
}

bool DataLocation::createFolderPath(const std::filesystem::path& path) {
  if (path.empty()) return false;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return true;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

std::optional<std::string> DataLocation::folderCreationProblem(const std::filesystem::path& path) {
  std::error_code ec;
  if (!path.empty() && std::filesystem::is_directory(path, ec)) return std::nullopt;
  if (!path.empty()) std::filesystem::create_directories(path, ec);
  if (!path.empty() && !ec && std::filesystem::is_directory(path, ec)) return std::nullopt;
  if (!ec) ec = std::make_error_code(std::errc::not_a_directory);
  return formatText("フォルダを作成できませんでした\n%s\n%s", pathText(path).c_str(),
                    errorCodeText(ec).c_str());
}

std::filesystem::path DataLocation::personalFolder() {
  std::filesystem::path home = homeFolder();
  std::error_code ec;
  if (std::filesystem::is_directory(home / "Documents", ec)) return home / "Documents";
  return home;
}

void DataLocation::warn(Reporter& reporter, const std::string& text) {
  reporter.beep();
  reporter.error(text);
}

}  // namespace pelnor
