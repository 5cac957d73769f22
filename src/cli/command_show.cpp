// show: loads past months of a device as the past-data display does and prints the
// loaded period with its statistics and the scales chosen for each month.
#include <cstdio>
#include <iostream>
#include <optional>

#include "cli/cli_environment.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/json_codec.h"
#include "data/aggregation.h"
#include "data/device_history.h"
#include "data/display_state.h"
#include "data/text.h"

namespace pelnor::cli {

namespace {

std::string dateText(const DateTime& date) {
  CalendarFields f = date.fields();
  return formatText("%04d-%02d-%02d", f.year, f.month, f.day);
}

constexpr int kFewestMonths = 1;
constexpr int kMostMonths = 99;

// A number written with digits only, that fits in int32.
std::optional<int32_t> wholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  return intPrefixIfFits(text);
}

// The months stand two levels deep in the printed document.
constexpr std::size_t kMonthIndent = 4;

std::string dumpJson(const Json& json) { return json.dump(2, ' ', false, Json::error_handler_t::replace); }

// Printed JSON moved right: a string holds no line break of its own, so every line break
// starts a line of the structure.
std::string indentedBy(const std::string& text, std::size_t spaces) {
  const std::string margin(spaces, ' ');
  std::string out = margin;
  for (char c : text) {
    out += c;
    if (c == '\n') out += margin;
  }
  return out;
}

Json scaleToJson(const std::vector<ScaleEntry>& scales, int index) {
  const ScaleEntry& entry = scales.at(static_cast<std::size_t>(index));
  return Json{{"index", index}, {"step", entry.step}, {"top", entry.top()}};
}

}  // namespace

int runShow(const ShowOptions& options) {
  CliEnvironment env(options.common);
  const std::string& deviceText = options.device;
  const std::string& monthText = options.month;
  const std::optional<std::string>& monthsText = options.months;
  auto refuse = [](const std::string& why) { return usageError("show", why); };
  std::optional<int32_t> device = wholeNumber(deviceText);
  if (!device) return refuse("--device is a device ID (digits only), not '" + deviceText + "'");
  std::optional<int32_t> year, month;
  if (monthText.size() == 7 && monthText[4] == '-') {
    year = wholeNumber(monthText.substr(0, 4));
    month = wholeNumber(monthText.substr(5, 2));
  }
  DateTime chosen =
      year && month ? DateTime::fromFields(*year, *month, 1) : DateTime(DateTime::kInvalid, 0.0);
  if (!chosen.isValid()) return refuse("--month is a month written YYYY-MM, not '" + monthText + "'");
  std::optional<int32_t> count = monthsText ? wholeNumber(*monthsText) : env.settings.monthsToLoad;
  if (!count || *count < kFewestMonths || *count > kMostMonths) {
    return refuse("--months is a number from 1 to 99, not '" + monthsText.value_or(std::to_string(*count)) +
                  "'");
  }
  const DateTime first = firstOfPastMonths(chosen, *count);
  // Dates begin with the year 100.
  if (!first.isValid()) return refuse("the months to show begin before the year 100");

  DeviceRegistry registry(env.storage.defaults);
  if (!registry.load(env.location.root(), env.storage)) return 1;
  if (registry.positionOf(*device) < 0) {
    std::cerr << "pelnor-cli show: device " << *device << " is not registered in "
              << pathText(env.location.root() / kMasterFileName) << '\n';
    return kUsageError;
  }
  DeviceRecord shownDevice;
  registry.find(*device, shownDevice);
  const DateTime last =
      DateTime::fromFields(chosen.year(), chosen.month(), daysInMonth(chosen.year(), chosen.month()));
  Json head{{"device", deviceToJson(shownDevice)},
            {"pulseConstant", env.settings.pulseConstant},
            {"first", dateText(first)},
            {"last", dateText(last)},
            {"months", Json::array()}};
  // The document is printed as it is made, a month at a time, so that only one month is
  // held: the head up to the months' bracket, each month, then the closing brackets.
  std::string headText = dumpJson(head);
  std::cout << headText.substr(0, headText.rfind('[') + 1);

  DeviceHistory history;
  DisplayState display;
  bool firstMonth = true;
  history.visitPastMonths(*device, chosen, *count, env.historyEnv(registry), [&](const MonthRecord& m) {
    display.setView(history, Period::Month, 0, m.month, true, true);
    const Json shown{{"month", dateText(m.month).substr(0, 7)},
                     {"pulseStats", slotStatsToJson(m.pulseStats)},
                     {"demandStats", slotStatsToJson(m.demandStats)},
                     {"energyStats", slotStatsToJson(m.energyStats)},
                     {"temperatureStats", slotStatsToJson(m.temperatureStats)},
                     {"highestDemandDay", dayNumberOrNull(highestDemandDay(m))},
                     {"lowestDemandDay", dayNumberOrNull(lowestDemandDay(m))},
                     {"demandScale", scaleToJson(display.demandScales, display.demandScale)},
                     {"energyScale", scaleToJson(display.energyScales, display.energyScale)}};
    std::cout << (firstMonth ? "\n" : ",\n") << indentedBy(dumpJson(shown), kMonthIndent);
    firstMonth = false;
  });
  std::cout << "\n  ]\n}\n";
  return 0;
}

}  // namespace pelnor::cli
