// Where stored data lives: the program's own data root or another one (view mode),
// and the names of every folder and file under a root.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "data/date_time.h"
#include "data/path_text.h"
#include "data/reporter.h"

namespace pelnor {

class DataLocation {
 public:
  static constexpr int kOwn = 1;
  static constexpr int kOther = 2;  // view mode

  explicit DataLocation(std::filesystem::path ownRoot) : ownRoot_(std::move(ownRoot)) {}

  std::filesystem::path root() const { return isOwn() ? ownRoot_ : pathFromText(otherPath_); }
  const std::filesystem::path& ownRoot() const { return ownRoot_; }
  bool isOwn() const { return mode_ == kOwn; }
  int mode() const { return mode_; }
  void setMode(int mode) { mode_ = mode; }
  const std::string& otherPath() const { return otherPath_; }
  // Trims blanks; any text that is not the own root selects the other location.
  void setOtherPath(const std::string& text);
  std::string label() const;

  std::filesystem::path masterFile() const;
  std::filesystem::path dataFolder() const;
  std::filesystem::path deviceFolder(int32_t deviceId) const;
  std::filesystem::path monthFile(int32_t deviceId, const DateTime& date) const;

  // At start-up: an other root without a master file falls back to the own one, silently.
  void fallBackToOwnWithoutMaster();
  // The data location dialog's choice; an other root without data is refused with a
  // message and the own root is taken. Returns false when it fell back.
  bool choose(const std::string& otherText, bool ownChosen, Reporter& reporter);

  // Creates the folder and every missing folder above it; true when it exists afterwards.
  static bool createFolderPath(const std::filesystem::path& path);
  // Creates the folder and its parents; on failure the text to show: which folder, and why.
  static std::optional<std::string> folderCreationProblem(const std::filesystem::path& path);

  // The user's documents folder, else the home folder.
  static std::filesystem::path personalFolder();
  // A warning beep, then the text with a stop icon.
  static void warn(Reporter& reporter, const std::string& text);

 private:
  std::filesystem::path ownRoot_;
  int mode_ = kOwn;
  std::string otherPath_;
};

}  // namespace pelnor
