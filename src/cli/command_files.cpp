// dump and restore: the stored files as JSON and back.
#include <fstream>
#include <iostream>
#include <optional>

#include "cli/cli_environment.h"
#include "cli/commands.h"
#include "cli/json_codec.h"
#include "cli/stderr_reporter.h"
#include "data/aggregation.h"
#include "data/data_locks.h"
#include "data/month_file.h"

namespace pelnor::cli {

namespace {

enum class FileKind { Master, Month, Unknown };

bool isMonthFileName(const std::string& name) {
  if (name.size() != 11 || name[0] != 'D' || name.substr(7) != ".dmd") return false;
  for (std::size_t i = 1; i < 7; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

// A month file starts with its signature as a string element; a master file with its
// version. A file whose start is neither (a damaged one) is told by its name.
FileKind detectKind(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(45, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  if (head == std::string(1, '\x2C') + kMonthFileSignature) return FileKind::Month;
  const std::string name = pathText(path.filename());
  if (isMonthFileName(name)) return FileKind::Month;
  if (name == kMasterFileName) return FileKind::Master;
  if (head.size() >= 4 && head[1] == 0 && head[2] == 0 && head[3] == 0 && head[0] >= 1 &&
      head[0] <= kCurrentFileVersion) {
    return FileKind::Master;
  }
  return FileKind::Unknown;
}

void printJson(const Json& json) {
  std::cout << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace

int runDump(const Args& arguments) {
  Args args = arguments;
  CliEnvironment env(args);
  bool aggregate = takeFlag(args, "--aggregate");
  std::optional<FileKind> kind;
  std::string file;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--kind" && i + 1 < args.size()) {
      const std::string& value = args[++i];
      if (value == "master")
        kind = FileKind::Master;
      else if (value == "month")
        kind = FileKind::Month;
      else {
        std::cerr << "pelnor-cli dump: --kind is master or month\n";
        return kUsageError;
      }
    } else if (file.empty()) {
      file = args[i];
    } else {
      std::cerr << "pelnor-cli dump: one FILE only\n";
      return kUsageError;
    }
  }
  if (file.empty()) {
    std::cerr << "usage: pelnor-cli dump [--kind master|month] FILE\n";
    return kUsageError;
  }
  const std::filesystem::path path = pathFromText(file);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    std::cerr << "pelnor-cli dump: no such file: " << file << '\n';
    return 1;
  }
  const StorageContext& context = env.storage;
  FileKind fileKind = kind.value_or(detectKind(path));
  if (fileKind == FileKind::Unknown) {
    std::cerr << "pelnor-cli dump: " << file
              << " is neither a month file nor a device master file by its start or its name;"
                 " say which with --kind master or --kind month\n";
    return 1;
  }
  if (fileKind == FileKind::Month) {
    MonthRecord month = MonthRecord::makeNew(DateTime(), context.defaults);
    int32_t version = 0;
    if (!readMonthFile(path, month, context, &version)) return 1;
    Json json = monthToJson(month, version);
    if (aggregate) {
      aggregateMonth(month, env.settings.pulseConstant);
      addAggregates(json, month);
    }
    printJson(json);
  } else {
    DeviceRegistry registry(context.defaults);
    if (!registry.loadFile(path, context)) return 1;
    printJson(masterToJson(registry, registry.loadedVersion()));
  }
  return 0;
}

int runRestore(const Args& arguments) {
  Args args = arguments;
  CliEnvironment env(args);
  if (args.size() != 2) {
    std::cerr << "usage: pelnor-cli restore JSON FILE\n";
    return kUsageError;
  }
  Json json;
  try {
    std::ifstream in(pathFromText(args[0]));
    if (!in) {
      std::cerr << "pelnor-cli restore: cannot read " << args[0] << '\n';
      return 1;
    }
    json = parseJsonDocument(in);
  } catch (const JsonValueError& e) {
    std::cerr << "pelnor-cli restore: " << args[0] << ": " << e.what() << "; nothing was written\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "pelnor-cli restore: " << e.what() << '\n';
    return 1;
  }
  const StorageContext& context = env.storage;
  // Every value is checked before anything is written.
  std::optional<MonthRecord> month;
  DeviceRegistry registry(context.defaults);
  try {
    if (json.is_object() && json.value("kind", "") == "month") {
      month = monthFromJson(json, context.defaults);
    } else {
      masterFromJson(json, registry);
    }
  } catch (const std::exception& e) {
    std::cerr << "pelnor-cli restore: " << args[0] << ": " << e.what() << "; nothing was written\n";
    return 1;
  }
  const std::filesystem::path target = pathFromText(args[1]);
  // A file of a data root is written while its lock is held, as the window writes it;
  // files elsewhere get no lock file beside them.
  FileLock lock;
  if (month) {
    const std::filesystem::path folder = std::filesystem::absolute(target).parent_path();
    if (folder.parent_path().filename() == "DATA" && !lockDeviceFolder(lock, folder, false, context))
      return 1;
    return writeMonthFile(target, *month, false, context) ? 0 : 1;
  }
  if (target.filename() == kMasterFileName && !lockMasterFile(lock, target, context)) return 1;
  return registry.saveFile(target, context) ? 0 : 1;
}

}  // namespace pelnor::cli
