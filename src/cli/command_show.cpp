// show: loads past months of a device as the past-data display does and prints the
// loaded period with its statistics and the scales chosen for each month.
#include <cstdio>
#include <iostream>

#include "cli/cli_environment.h"
#include "cli/commands.h"
#include "cli/json_codec.h"
#include "data/aggregation.h"
#include "data/device_history.h"
#include "data/display_state.h"
#include "data/text.h"

namespace pelnor::cli {

namespace {

constexpr const char* kShowUsage =
    "usage: pelnor-cli show [--root DIR] [--ini FILE] --device ID --month YYYY-MM [--months N]\n";

std::string dateText(const DateTime& date) {
  CalendarFields f = date.fields();
  return formatText("%04d-%02d-%02d", f.year, f.month, f.day);
}

Json scaleToJson(const std::vector<ScaleEntry>& scales, int index) {
  const ScaleEntry& entry = scales.at(static_cast<std::size_t>(index));
  return Json{{"index", index}, {"step", entry.step}, {"top", entry.top()}};
}

}  // namespace

int runShow(const Args& arguments) {
  Args args = arguments;
  CliEnvironment env(args);
  auto device = takeOption(args, "--device");
  auto monthText = takeOption(args, "--month");
  auto monthsText = takeOption(args, "--months");
  int year = 0, month = 0;
  char tail = 0;
  if (!args.empty() || !device || !monthText ||
      std::sscanf(monthText->c_str(), "%4d-%2d%c", &year, &month, &tail) != 2) {
    std::cerr << kShowUsage;
    return kUsageError;
  }
  DateTime chosen = DateTime::fromFields(year, month, 1);
  int count = monthsText ? parseIntPrefix(*monthsText) : env.settings.monthsToLoad;
  if (!chosen.isValid() || count < 1 || count > 99) {
    std::cerr << "pelnor-cli show: --month is a real month and --months is 1 to 99\n" << kShowUsage;
    return kUsageError;
  }

  DeviceRegistry registry(env.storage.defaults);
  if (!registry.load(env.location.root(), env.storage)) return 1;
  DeviceHistory history;
  history.loadPastMonths(parseIntPrefix(*device), chosen, count, env.historyEnv(registry));

  DateTime first, last;
  history.firstAndLast(first, last);
  Json months = Json::array();
  DisplayState display;
  for (const MonthRecord& m : history.months) {
    display.setView(history, DisplayState::kMonthMode, 0, m.month, true, true);
    months.push_back(Json{{"month", dateText(m.month).substr(0, 7)},
                          {"pulseStats", slotStatsToJson(m.pulseStats)},
                          {"demandStats", slotStatsToJson(m.demandStats)},
                          {"energyStats", slotStatsToJson(m.energyStats)},
                          {"temperatureStats", slotStatsToJson(m.temperatureStats)},
                          {"highestDemandDay", dayNumberOrNull(highestDemandDay(m))},
                          {"lowestDemandDay", dayNumberOrNull(lowestDemandDay(m))},
                          {"demandScale", scaleToJson(display.demandScales, display.demandScale)},
                          {"energyScale", scaleToJson(display.energyScales, display.energyScale)}});
  }
  Json out{{"device", deviceToJson(history.device)},
           {"pulseConstant", env.settings.pulseConstant},
           {"first", dateText(first)},
           {"last", dateText(last)},
           {"months", months}};
  std::cout << out.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
  return 0;
}

}  // namespace pelnor::cli
