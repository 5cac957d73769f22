#include "data/data_copy.h"

#include <system_error>

#include "data/save_leftovers.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace fs = std::filesystem;

namespace {

// The place a path names, links resolved where they exist.
fs::path tidy(const fs::path& path) {
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical(fs::absolute(path), ec);
  return tidyPath(ec ? fs::absolute(path) : resolved);
}

// True when inner is outer or lies below it.
bool within(const fs::path& inner, const fs::path& outer) {
  auto o = outer.begin();
  for (auto i = inner.begin(); o != outer.end(); ++i, ++o) {
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

// The device folder as it is: links copied as links (never the files they name, which may
// lie anywhere), no temporary file of a killed save, no lock file, and no device or FIFO,
// which hold no data and could block the copy.
void copyFolder(const fs::path& from, const fs::path& to, std::error_code& ec) {
  fs::create_directory(to, ec);
  if (ec) return;
  for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path name = it->path().filename();
    if (isSaveLeftover(name)) continue;
    const fs::file_status status = it->symlink_status(ec);
    if (ec) return;
    if (fs::is_symlink(status)) {
      fs::copy_symlink(it->path(), to / name, ec);
    } else if (fs::is_directory(status)) {
      copyFolder(it->path(), to / name, ec);
    } else if (fs::is_regular_file(status)) {
      fs::copy_file(it->path(), to / name, ec);
    }
    if (ec) return;
  }
}

void warn(const StorageContext& storage, const std::string& text) {
  storage.reporter.beep();
  storage.reporter.error(text);
}

}  // namespace

std::optional<std::string> copyDestinationProblem(const DataLocation& own, int32_t deviceId,
                                                  const fs::path& destination) {
  const fs::path root = tidy(own.ownRoot());
  const fs::path source = tidy(DataLocation(own.ownRoot()).deviceFolder(deviceId));
  const fs::path target = tidy(destination);
  if (target == root) return "コピー先がこのソフトのデータの場所です\n別のフォルダを指定してください";
  if (within(target, source) || within(source, target)) {
    return formatText("コピー先が機器のデータのフォルダと重なっています\n%s", pathText(source).c_str());
  }
  // A second root inside the own one would sit in what is, or will be, a device's folder.
  if (within(target, root)) {
    return formatText("コピー先がこのソフトのデータの場所の中にあります\n%s\n別のフォルダを指定してください",
                      pathText(target).c_str());
  }
  return std::nullopt;
}

bool copyDeviceData(const DataLocation& own, const DeviceRegistry& registry, int32_t deviceId,
                    const std::string& destinationText, const StorageContext& storage) {
  const std::string text(trimBlanks(destinationText));
  if (text.empty()) {
    warn(storage, "コピー先を入力してください");
    return false;
  }
  const fs::path destinationFolder = pathFromText(text);
  if (auto problem = copyDestinationProblem(own, deviceId, destinationFolder)) {
    warn(storage, *problem);
    return false;
  }
  std::error_code ec;
  if (!fs::is_directory(destinationFolder, ec)) {
    storage.reporter.beep();
    if (!storage.reporter.askYesNo(
            formatText("指定のフォルダは存在しません\n作成してもよろしいですか\n%s", text.c_str()))) {
      return false;
    }
    if (auto problem = DataLocation::folderCreationProblem(destinationFolder)) {
      warn(storage, *problem);
      return false;
    }
  }
  DeviceRegistry target(registry.defaults());
  if (!target.load(destinationFolder, storage)) return false;
  if (target.positionOf(deviceId) >= 0) {
    storage.reporter.beep();
    if (!storage.reporter.askYesNo(
            formatText("既にコピー先に存在します\n上書きしますか\n機器ＩＤ：%d", deviceId))) {
      return false;
    }
  }
  DeviceRecord record;
  if (!registry.find(deviceId, record)) return false;
  target.put(record);

  const DataLocation destination(destinationFolder);
  const fs::path source = DataLocation(own.ownRoot()).deviceFolder(deviceId);
  const fs::path targetFolder = destination.deviceFolder(deviceId);
  if (auto problem = DataLocation::folderCreationProblem(destination.dataFolder())) {
    warn(storage, *problem);
    return false;
  }
  // The copy goes beside the old folder first; the old one goes only once it is complete.
  fs::path fresh = targetFolder;
  fresh += ".copying";
  fs::path old = targetFolder;
  old += ".replaced";
  fs::remove_all(fresh, ec);
  if (fs::exists(source, ec)) {
    copyFolder(source, fresh, ec);
  } else {
    fs::create_directory(fresh, ec);  // a device without readings yet
  }
  auto failed = [&](const std::error_code& error) {
    fs::remove_all(fresh, ec);
    warn(storage, formatText("コピー出来ませんでした\n%s\n%s", pathText(targetFolder).c_str(),
                             error.message().c_str()));
    return false;
  };
  if (ec) return failed(ec);
  if (!target.save(text, storage)) {
    fs::remove_all(fresh, ec);
    return false;
  }
  fs::remove_all(old, ec);
  const bool hadOld = fs::exists(targetFolder, ec);
  if (hadOld) {
    fs::rename(targetFolder, old, ec);
    if (ec) return failed(ec);
  }
  fs::rename(fresh, targetFolder, ec);
  if (ec) {
    std::error_code back;
    if (hadOld) fs::rename(old, targetFolder, back);
    return failed(ec);
  }
  fs::remove_all(old, ec);
  storage.reporter.beep();
  storage.reporter.plain("コピーは正常に行われました");
  return true;
}

}  // namespace pelnor
