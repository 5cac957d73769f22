// demo: a demonstration data set for a new root, so that a newcomer sees real tables and
// graphs at once: device 100 with four months of half-hourly readings of an office
// building (working hours, lunch, weekends, the season's temperature).
#include <cmath>
#include <iostream>
#include <numbers>
#include <random>

#include "cli/cli_environment.h"
#include "cli/command_line.h"
#include "cli/commands.h"

namespace pelnor::cli {

namespace {

constexpr int32_t kDemoDevice = 100;
constexpr int kMonths = 4;  // the current month and the three before it

// Mean daily temperature of a month in a Japanese city, and its daily swing.
double meanTemperature(int month) {
  const double means[12] = {5, 6, 9, 14, 19, 22, 26, 27, 24, 18, 12, 7};
  return means[month - 1];
}

double temperatureAt(int month, double hour, double dayNoise) {
  return meanTemperature(month) + dayNoise + 4.5 * std::cos((hour - 14.0) / 24.0 * 2 * std::numbers::pi);
}

// Demand [kW] of an office building at a half hour.
double demandAt(bool workday, double hour, double temperature, double noise) {
  double base = 35;  // servers, lighting at night, refrigerators
  if (workday) {
    const double ramp = std::clamp((hour - 7.5) / 1.5, 0.0, 1.0) * std::clamp((19.0 - hour) / 1.5, 0.0, 1.0);
    base += 120 * ramp;
    if (hour >= 12 && hour < 13) base -= 25;  // lunch
  } else {
    base += 10 * std::clamp((hour - 9) / 2, 0.0, 1.0) * std::clamp((17 - hour) / 2, 0.0, 1.0);
  }
  // Heating and cooling follow the distance from a comfortable 20 degrees.
  const double climate = std::abs(temperature - 20) * (workday ? 4.0 : 1.5);
  return std::max(5.0, base + climate + noise);
}

}  // namespace

int runDemo(const CommonOptions& options) {
  CliEnvironment env(options);
  std::error_code ec;
  if (std::filesystem::exists(env.location.masterFile(), ec)) {
    std::cerr << "pelnor-cli demo: " << pathText(env.location.masterFile())
              << " exists; the demonstration data is only made for a root without devices\n";
    return 1;
  }
  DataLocation::createFolderPath(env.location.root());
  DeviceRegistry registry(env.storage.defaults);
  DeviceRecord device = DeviceRecord::makeNew(env.storage.defaults);
  device.deviceId = kDemoDevice;
  device.customerName = "デモ工業株式会社 本社ビル";
  device.multiplier = 120;  // VCT 10 A
  device.primaryCurrent = VctTable::currentForMultiplier(device.multiplier);
  registry.put(device);
  if (!registry.save(env.location.root(), env.storage)) return 1;

  DeviceHistory history;
  history.resetForDevice(kDemoDevice, registry);
  std::mt19937 random(20240401);
  std::normal_distribution<double> noise(0, 6);
  std::normal_distribution<double> dayNoise(0, 2.5);
  const DateTime now = DateTime::now();
  DateTime day = now.firstOfMonth();
  for (int i = 1; i < kMonths; ++i) day = day.addDays(-1).firstOfMonth();
  const double kwhPerPulse = static_cast<double>(device.multiplier) / env.settings.pulseConstant;
  for (; day < now.dateOnly(); day = day.addDays(1)) {
    const CalendarFields f = day.fields();
    const bool workday = f.dayOfWeek != 0 && f.dayOfWeek != 6;
    const double todayNoise = dayNoise(random);
    for (int slot = 0; slot < kSlotsPerDay; ++slot) {
      const double hour = slot / 2.0 + 0.25;
      const double temperature = temperatureAt(f.month, hour, todayNoise);
      const double kw = demandAt(workday, hour, temperature, noise(random));
      const auto pulses = static_cast<int32_t>(std::lround(kw / 2 / kwhPerPulse));
      history.addReading(DateTime::fromFields(f.year, f.month, f.day, slot / 2, (slot % 2) * 30), pulses,
                         std::trunc(temperature) + 0.0, env.storage.defaults);  // never -0
    }
  }
  HistoryEnv historyEnv = env.historyEnv(registry);
  if (!history.mergeAndSave(false, historyEnv)) return 1;
  std::cout << "demonstration data for device " << kDemoDevice << " written under "
            << pathText(env.location.root()) << '\n';
  return 0;
}

}  // namespace pelnor::cli
