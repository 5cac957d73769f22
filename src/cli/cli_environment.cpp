#include "cli/cli_environment.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "data/own_root.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor::cli {

namespace {

std::optional<std::filesystem::path> actingFolder;

}  // namespace

std::filesystem::path programFolder() { return findOwnDataRoot(actingFolder.value_or(executableFolder())); }

void actForProgramIn(const std::filesystem::path& folder) { actingFolder = folder; }

std::optional<int32_t> deviceIdArg(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return intPrefixIfFits(text);
}

std::optional<DateArg> dateArg(const std::string& text) {
  int year = 0, month = 0, day = 0;
  char tail = 0;
  const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail);
  if (fields != 2 && fields != 3) return std::nullopt;
  DateArg arg{fields == 3 ? Period::Day : Period::Month,
              DateTime::fromFields(year, month, fields == 3 ? day : 1)};
  if (!arg.date.isValid()) return std::nullopt;
  return arg;
}

std::optional<DateArg> periodArg(const std::string& kind, const std::string& date) {
  std::optional<DateArg> arg = dateArg(date);
  if (!arg || kind.empty()) return arg;
  if (kind == "day") return arg->period == Period::Day ? arg : std::nullopt;
  return DateArg{kind == "year" ? Period::Year : Period::Month, arg->date.firstOfMonth()};
}

std::optional<Period> periodOfKind(const std::string& kind) {
  if (kind == "day") return Period::Day;
  if (kind == "month") return Period::Month;
  if (kind == "year") return Period::Year;
  return std::nullopt;
}

// The first month a period needs in memory: a year's twelve months are loaded together.
DateTime firstMonthOf(const DateArg& period) {
  return period.period == Period::Year ? firstOfPastMonths(period.date, kMonthsPerYear) : period.date;
}

namespace {

CAppSettings loadSettings(const std::optional<std::string>& iniPath) {
  CAppSettings settings;
  if (iniPath) {
    settings.ini.OpenFile(pathFromText(*iniPath));
  } else {
    settings.Open(programFolder(), "Pelnor");
  }
  settings.ini.setReadOnly(true);
  DataLocation ignored(settings.ini.ProgramDir());
  settings.Load(readInstallationId(), ignored);
  return settings;
}

std::filesystem::path rootArg(const std::optional<std::string>& text) {
  return text ? pathFromText(*text) : programFolder();
}

OpenRetry retryArg(const CommonOptions& options) {
  OpenRetry retry;
  if (const std::optional<int> limit = options.waitMs())
    retry.monthFileLimitMs = retry.masterFileLimitMs = *limit;
  return retry;
}

}  // namespace

CliEnvironment::CliEnvironment(const CommonOptions& options, std::optional<bool> answer)
    : settings(loadSettings(options.ini)),
      location(rootArg(options.root)),
      reporter(answer),
      storage{reporter, settings.deviceDefaults(), retryArg(options), true} {}

int usageError(const char* command, const std::string& why) {
  std::cerr << "pelnor-cli " << command << ": " << why << "\nRun 'pelnor-cli " << command
            << " --help' for the options.\n";
  return kUsageError;
}

int unansweredError(const char* command) {
  std::cerr << "pelnor-cli " << command
            << ": a question could not be asked (standard input is not a terminal, carries the data or "
               "is at its end); answer it with --yes or --no\n";
  return kUsageError;
}

std::optional<LoadedDevice> loadDevice(CliEnvironment& env, int32_t device, const DateTime& first,
                                       const DateTime& last, const char* command) {
  LoadedDevice loaded{DeviceRegistry(env.storage.defaults), {}};
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

}  // namespace pelnor::cli
