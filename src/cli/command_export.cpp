// export-csv, export-raw and copy: the window's output commands without a window.
#include <iostream>
#include <optional>

#include "cli/cli_environment.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/output_target.h"
#include "data/data_copy.h"
#include "data/text.h"
#include "data/text_export.h"

namespace pelnor::cli {

int runExportCsv(const ExportCsvOptions& options) {
  CliEnvironment env(options.common);
  auto device = deviceIdArg(options.device);
  if (!device) return usageError("export-csv", "--device is a device ID (digits only)");
  auto date = periodArg(options.kind, options.date);
  if (!date) return usageError("export-csv", "--date is YYYY-MM or YYYY-MM-DD (a day with --kind day)");
  std::optional<LoadedDevice> loaded =
      loadDevice(env, *device, firstMonthOf(*date), date->date, "export-csv");
  if (!loaded) return kUsageError;
  YearSummary year;
  if (date->period == Period::Year)
    year = summarizeYear(loaded->history, date->date, env.historyEnv(loaded->registry));
  const CsvRequest request{date->period, date->date, options.withDays && date->period == Period::Month,
                           env.settings.pulseConstant, &year};
  if (isStandardStream(options.out))
    return writeOutput(options.out, csvBytes(loaded->history, request), env.storage, "export-csv") ? 0 : 1;
  return writeCsv(pathFromText(options.out), loaded->history, request, env.storage) ? 0 : 1;
}

int runExportRaw(const ExportRawOptions& options) {
  CliEnvironment env(options.common);
  auto device = deviceIdArg(options.device);
  if (!device) return usageError("export-raw", "--device is a device ID (digits only)");
  auto month = dateArg(options.month);
  if (!month || month->period != Period::Month) return usageError("export-raw", "--month is YYYY-MM");
  std::optional<LoadedDevice> loaded = loadDevice(env, *device, month->date, month->date, "export-raw");
  if (!loaded) return kUsageError;
  if (isStandardStream(options.out))
    return writeOutput(options.out, rawBytes(loaded->history, month->date), env.storage, "export-raw") ? 0
                                                                                                       : 1;
  return writeRawText(pathFromText(options.out), loaded->history, month->date, env.storage) ? 0 : 1;
}

int runCopy(const CopyOptions& options) {
  CliEnvironment env(options.common, options.answers.answer());
  auto device = deviceIdArg(options.device);
  if (!device) return usageError("copy", "--device is a device ID (digits only)");
  DeviceRegistry registry(env.storage.defaults);
  if (!registry.load(env.location.root(), env.storage)) return 1;
  if (registry.positionOf(*device) < 0) {
    std::cerr << "pelnor-cli copy: device " << *device << " is not registered\n";
    return kUsageError;
  }
  const bool copied = copyDeviceData(env.location, registry, *device, options.to, env.storage);
  if (env.reporter.unanswered()) return unansweredError("copy");
  return copied ? 0 : 1;
}

}  // namespace pelnor::cli
