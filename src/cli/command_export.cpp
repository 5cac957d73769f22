// export-csv, export-raw and copy: the window's output commands without a window.
#include <iostream>
#include <optional>

#include "cli/cli_environment.h"
#include "cli/commands.h"
#include "data/data_copy.h"
#include "data/text.h"
#include "data/text_export.h"

namespace pelnor::cli {

int runExportCsv(const Args& arguments) {
  constexpr const char* kUsage =
      "usage: pelnor-cli export-csv [--root DIR] --device ID --date YYYY-MM|YYYY-MM-DD [--with-days] --out "
      "FILE\n";
  Args args = arguments;
  CliEnvironment env(args);
  const bool withDays = takeFlag(args, "--with-days");
  auto device = deviceIdArg(takeOption(args, "--device"));
  auto dateText = takeOption(args, "--date");
  auto out = takeOption(args, "--out");
  if (!args.empty() || !dateText || !out)
    return usageError("export-csv", "missing or unknown arguments", kUsage);
  if (!device) return usageError("export-csv", "--device is a device ID (digits only)", kUsage);
  auto date = dateArg(*dateText);
  if (!date) return usageError("export-csv", "--date is YYYY-MM or YYYY-MM-DD", kUsage);
  std::optional<LoadedDevice> loaded = loadDevice(env, *device, date->date, date->date, "export-csv");
  if (!loaded) return kUsageError;
  const CsvRequest request{date->kind, date->date, withDays && date->kind == 2, env.settings.pulseConstant};
  return writeCsv(pathFromText(*out), loaded->history, request, env.storage) ? 0 : 1;
}

int runExportRaw(const Args& arguments) {
  constexpr const char* kUsage =
      "usage: pelnor-cli export-raw [--root DIR] --device ID --month YYYY-MM --out FILE\n";
  Args args = arguments;
  CliEnvironment env(args);
  auto device = deviceIdArg(takeOption(args, "--device"));
  auto monthText = takeOption(args, "--month");
  auto out = takeOption(args, "--out");
  if (!args.empty() || !monthText || !out)
    return usageError("export-raw", "missing or unknown arguments", kUsage);
  if (!device) return usageError("export-raw", "--device is a device ID (digits only)", kUsage);
  auto month = dateArg(*monthText);
  if (!month || month->kind != 2) return usageError("export-raw", "--month is YYYY-MM", kUsage);
  std::optional<LoadedDevice> loaded = loadDevice(env, *device, month->date, month->date, "export-raw");
  if (!loaded) return kUsageError;
  return writeRawText(pathFromText(*out), loaded->history, month->date, env.storage) ? 0 : 1;
}

int runCopy(const Args& arguments) {
  constexpr const char* kUsage = "usage: pelnor-cli copy [--root DIR] --device ID --to DIR [--yes | --no]\n";
  Args args = arguments;
  const bool yes = takeFlag(args, "--yes");
  const bool no = takeFlag(args, "--no");
  std::optional<bool> answer;
  if (yes || no) answer = yes;
  CliEnvironment env(args, answer);
  auto device = deviceIdArg(takeOption(args, "--device"));
  auto to = takeOption(args, "--to");
  if (!args.empty() || !to) return usageError("copy", "missing or unknown arguments", kUsage);
  if (!device) return usageError("copy", "--device is a device ID (digits only)", kUsage);
  DeviceRegistry registry(env.storage.defaults);
  if (!registry.load(env.location.root(), env.storage)) return 1;
  if (registry.positionOf(*device) < 0) {
    std::cerr << "pelnor-cli copy: device " << *device << " is not registered\n";
    return kUsageError;
  }
  return copyDeviceData(env.location, registry, *device, *to, env.storage) ? 0 : 1;
}

}  // namespace pelnor::cli
