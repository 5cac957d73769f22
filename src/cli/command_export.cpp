// print, export-csv, export-raw and copy: the window's output commands without a window.
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <iostream>
#include <optional>

#include "cli/cli_environment.h"
#include "cli/commands.h"
#include "cli/gui_application.h"
#include "data/data_copy.h"
#include "data/text.h"
#include "data/text_export.h"
#include "views/print_pages.h"

namespace pelnor::cli {

namespace {

int usage(const char* command, const std::string& why, const char* usageText) {
  std::cerr << "pelnor-cli " << command << ": " << why << '\n' << usageText;
  return kUsageError;
}

// The registry of the root and the months from first to last of a registered device.
struct Loaded {
  DeviceRegistry registry;
  DeviceHistory history;
};

std::optional<Loaded> load(CliEnvironment& env, int32_t device, const DateTime& first, const DateTime& last,
                           const char* command) {
  Loaded loaded{DeviceRegistry(env.storage.defaults), {}};
  if (!loaded.registry.load(env.location.root(), env.storage)) return std::nullopt;
  if (loaded.registry.positionOf(device) < 0) {
    std::cerr << "pelnor-cli " << command << ": device " << device << " is not registered\n";
    return std::nullopt;
  }
  int months = 0;
  for (DateTime m = first.firstOfMonth(); !(last.firstOfMonth() < m);
       m = m.addDays(daysInMonth(m.year(), m.month())))
    ++months;
  loaded.history.loadPastMonths(device, last, std::max(months, 1), env.historyEnv(loaded.registry));
  return loaded;
}

}  // namespace

int runPrint(const Args& arguments) {
  constexpr const char* kUsage =
      "usage: pelnor-cli print [--root DIR] --device ID --kind day|month --from DATE --to DATE [--report] "
      "--pdf OUT.pdf\n";
  Args args = arguments;
  CliEnvironment env(args);
  const bool report = takeFlag(args, "--report");
  auto device = deviceIdArg(takeOption(args, "--device"));
  auto kind = takeOption(args, "--kind");
  auto from = takeOption(args, "--from");
  auto to = takeOption(args, "--to");
  auto pdf = takeOption(args, "--pdf");
  if (!args.empty() || !kind || !from || !to || !pdf)
    return usage("print", "missing or unknown arguments", kUsage);
  if (!device) return usage("print", "--device is a device ID (digits only)", kUsage);
  if (*kind != "day" && *kind != "month") return usage("print", "--kind is day or month", kUsage);
  auto start = dateArg(*from);
  auto end = dateArg(*to);
  if (!start || !end) return usage("print", "--from and --to are dates YYYY-MM-DD (or YYYY-MM)", kUsage);
  PrintRange range{*kind == "day" ? 1 : 2, start->date, end->date, report && *kind == "month"};
  if (pageCount(range) <= 0) return usage("print", "--from must not be after --to", kUsage);

  std::optional<Loaded> loaded = load(env, *device, range.start, range.end, "print");
  if (!loaded) return kUsageError;
  auto gui = makeGuiApplication();
  QPdfWriter writer(QString::fromStdString(*pdf));
  writer.setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10)));
  writer.setResolution(300);
  writer.setTitle("Pelnor");
  ViewContents contents;
  const PageSource source{loaded->history, loaded->registry, env.settings};
  // The first page keeps the scales in use: here those chosen for it.
  contents.select(loaded->history, loaded->registry, env.settings, range.kind, 0, range.start, true, true);
  if (!printPages(writer, range, contents, source)) {
    std::cerr << "pelnor-cli print: cannot write " << *pdf << '\n';
    return 1;
  }
  std::cout << pageCount(range) << " pages written to " << *pdf << '\n';
  return 0;
}

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
  if (!args.empty() || !dateText || !out) return usage("export-csv", "missing or unknown arguments", kUsage);
  if (!device) return usage("export-csv", "--device is a device ID (digits only)", kUsage);
  auto date = dateArg(*dateText);
  if (!date) return usage("export-csv", "--date is YYYY-MM or YYYY-MM-DD", kUsage);
  std::optional<Loaded> loaded = load(env, *device, date->date, date->date, "export-csv");
  if (!loaded) return kUsageError;
  const CsvRequest request{date->kind, date->date, withDays && date->kind == 2, env.settings.pulseConstant};
  return writeCsv(*out, loaded->history, request, env.storage) ? 0 : 1;
}

int runExportRaw(const Args& arguments) {
  constexpr const char* kUsage =
      "usage: pelnor-cli export-raw [--root DIR] --device ID --month YYYY-MM --out FILE\n";
  Args args = arguments;
  CliEnvironment env(args);
  auto device = deviceIdArg(takeOption(args, "--device"));
  auto monthText = takeOption(args, "--month");
  auto out = takeOption(args, "--out");
  if (!args.empty() || !monthText || !out) return usage("export-raw", "missing or unknown arguments", kUsage);
  if (!device) return usage("export-raw", "--device is a device ID (digits only)", kUsage);
  auto month = dateArg(*monthText);
  if (!month || month->kind != 2) return usage("export-raw", "--month is YYYY-MM", kUsage);
  std::optional<Loaded> loaded = load(env, *device, month->date, month->date, "export-raw");
  if (!loaded) return kUsageError;
  return writeRawText(*out, loaded->history, month->date, env.storage) ? 0 : 1;
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
  if (!args.empty() || !to) return usage("copy", "missing or unknown arguments", kUsage);
  if (!device) return usage("copy", "--device is a device ID (digits only)", kUsage);
  DeviceRegistry registry(env.storage.defaults);
  if (!registry.load(env.location.root(), env.storage)) return 1;
  if (registry.positionOf(*device) < 0) {
    std::cerr << "pelnor-cli copy: device " << *device << " is not registered\n";
    return kUsageError;
  }
  return copyDeviceData(env.location, registry, *device, *to, env.storage) ? 0 : 1;
}

}  // namespace pelnor::cli
