// What the data commands share: the program's settings (read, never written), the data
// root and a reporter on stderr.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/stderr_reporter.h"
#include "data/app_settings.h"
#include "data/data_location.h"
#include "data/device_history.h"
#include "data/period.h"
#include "data/storage_context.h"
#include "data/year_summary.h"

namespace pelnor::cli {

// The program's own data root: the folder of the running executable, or the user's own
// folder when that one is installed (ownDataRoot). Not made here: a command that only
// reads creates nothing.
std::filesystem::path programFolder();
// The companion that paints takes the root of the pelnor-cli that runs it, as if it were
// that program: called once at its start, before any command.
void actForProgramIn(const std::filesystem::path& folder);

class CliEnvironment {
 public:
  explicit CliEnvironment(const CommonOptions& options, std::optional<bool> answer = std::nullopt);

  HistoryEnv historyEnv(const DeviceRegistry& registry) const {
    return HistoryEnv{registry, location, storage, settings.pulseConstant};
  }

  CAppSettings settings;
  DataLocation location;
  StderrReporter reporter;
  StorageContext storage;
};

// A device ID written with digits only; empty otherwise.
std::optional<int32_t> deviceIdArg(const std::string& text);
// A date written YYYY-MM (a month, from its first day) or YYYY-MM-DD (a day).
struct DateArg {
  Period period = Period::Day;
  DateTime date;
};
std::optional<DateArg> dateArg(const std::string& text);
// --date with --kind: empty kind is the date's own (a day or a month); "month" and "year"
// take the month of any date (a year is the twelve months that end with it); "day" needs
// a day. Empty when they do not go together.
std::optional<DateArg> periodArg(const std::string& kind, const std::string& date);
// --kind day|month|year; empty for any other text.
std::optional<Period> periodOfKind(const std::string& kind);
DateTime firstMonthOf(const DateArg& period);

// Says why the arguments are wrong and where the command's options are told; returns
// kUsageError.
int usageError(const char* command, const std::string& why);

// A question was not answered (see StderrReporter::unanswered): says which options answer
// it; returns kUsageError.
int unansweredError(const char* command);

// The registry of the root and the months from first to last of a registered device.
struct LoadedDevice {
  DeviceRegistry registry;
  DeviceHistory history;
};
// Empty (with a message) when the master cannot be read or the device is not registered.
std::optional<LoadedDevice> loadDevice(CliEnvironment& env, int32_t device, const DateTime& first,
                                       const DateTime& last, const char* command);

}  // namespace pelnor::cli
