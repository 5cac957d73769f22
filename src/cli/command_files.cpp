// dump and restore: the stored files as JSON and back.
#include <fstream>
#include <iostream>
#include <optional>

#include "cli/cli_environment.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/json_codec.h"
#include "cli/output_target.h"
#include "cli/stderr_reporter.h"
#include "data/aggregation.h"
#include "data/data_locks.h"
#include "data/month_file.h"
#include "data/save_leftovers.h"

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

std::string jsonText(const Json& json) {
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + '\n';
}

// Reads JSON from a file or, for "-", from standard input.
Json readJson(const std::string& source) {
  if (isStandardStream(source)) return parseJsonDocument(std::cin);
  std::ifstream in(pathFromText(source));
  if (!in) throw std::runtime_error("cannot read " + source);
  return parseJsonDocument(in);
}

}  // namespace

int runDump(const DumpOptions& options) {
  CliEnvironment env(options.common);
  std::optional<FileKind> kind;
  if (options.kind == "master") kind = FileKind::Master;
  if (options.kind == "month") kind = FileKind::Month;
  const std::string& file = options.file;
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
    if (options.aggregate) {
      aggregateMonth(month, env.settings.pulseConstant);
      addAggregates(json, month);
    }
    return writeOutput(options.out, jsonText(json), context, "dump") ? 0 : 1;
  }
  DeviceRegistry registry(context.defaults);
  if (!registry.loadFile(path, context)) return 1;
  return writeOutput(options.out, jsonText(masterToJson(registry, registry.loadedVersion())), context, "dump")
             ? 0
             : 1;
}

int runRestore(const RestoreOptions& options) {
  CliEnvironment env(options.common);
  const std::string& source = options.json;
  Json json;
  try {
    json = readJson(source);
  } catch (const JsonValueError& e) {
    std::cerr << "pelnor-cli restore: " << source << ": " << e.what() << "; nothing was written\n";
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
    std::cerr << "pelnor-cli restore: " << source << ": " << e.what() << "; nothing was written\n";
    return 1;
  }
  const std::filesystem::path target = pathFromText(options.file);
  // A file of a data root is written while its lock is held, as the window writes it, and
  // what killed saves left there goes, as with the window's saves; files elsewhere get no
  // lock file beside them.
  FileLock lock;
  if (month) {
    const std::filesystem::path folder = std::filesystem::absolute(target).parent_path();
    if (folder.parent_path().filename() == "DATA") {
      if (!lockDeviceFolder(lock, folder, false, context)) return 1;
      removeSaveLeftovers(folder);
    }
    return writeMonthFile(target, *month, false, context) ? 0 : 1;
  }
  if (target.filename() == kMasterFileName) {
    if (!lockMasterFile(lock, target, context)) return 1;
    removeSaveLeftovers(std::filesystem::absolute(target).parent_path());
  }
  return registry.saveFile(target, context) ? 0 : 1;
}

}  // namespace pelnor::cli
