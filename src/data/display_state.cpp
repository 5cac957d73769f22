#include "data/display_state.h"

#include <algorithm>
#include <stdexcept>

namespace pelnor {

namespace {

std::vector<ScaleEntry> scalesOf(std::initializer_list<double> steps) {
  std::vector<ScaleEntry> scales;
  for (double step : steps) scales.push_back(ScaleEntry{5, 0, step});
  return scales;
}

int firstReaching(const std::vector<ScaleEntry>& scales, double reference) {
  for (std::size_t i = 0; i < scales.size(); ++i) {
    if (scales[i].top() >= reference) return static_cast<int>(i);
  }
  return static_cast<int>(scales.size()) - 1;
}

}  // namespace

DisplayState::DisplayState()
    : energyScales(scalesOf({1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000})),
      demandScales(scalesOf({1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000})),
      yearEnergyScales(scalesOf({1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000,
                                 100000, 200000, 500000, 1000000})) {}

void DisplayState::setView(const DeviceHistory& history, Period shown, int flag, const DateTime& date,
                           bool rescaleDemand, bool rescaleEnergy) {
  int position = history.monthPosition(date);
  if (position < 0) throw std::invalid_argument("the month of the displayed date is not loaded");
  period = shown;
  outputFlag = flag;

  const MonthRecord& month = history.monthAt(position);
  double demand = 0, energy = 0;
  if (shown == Period::Day) {
    const SlotStats& day = month.days[static_cast<std::size_t>(date.day() - 1)].dayStats;
    demand = day.max.demandKw;
    energy = day.max.energyKwh;
  } else {
    demand = month.demandStats.max.demandKw;
    energy = month.energyStats.max.energyKwh;
  }
  if (rescaleDemand) demandScale = firstReaching(demandScales, demand);
  if (rescaleEnergy) energyScale = firstReaching(energyScales, energy);
}

void DisplayState::setYearView(const YearSummary& year, int flag, bool rescaleDemand) {
  period = Period::Year;
  outputFlag = flag;
  double demand = year.contractKw, energy = 0;
  for (const MonthSummary& m : year.months) {
    if (!m.hasDemand) continue;
    demand = std::max(demand, m.peakKw);
    energy = std::max(energy, m.energyKwh);
  }
  if (rescaleDemand) demandScale = firstReaching(demandScales, demand);
  yearEnergyScale = firstReaching(yearEnergyScales, energy);
}

const ScaleEntry& DisplayState::shownEnergyScale() const {
  if (period == Period::Year) return yearEnergyScales.at(static_cast<std::size_t>(yearEnergyScale));
  return energyScales.at(static_cast<std::size_t>(energyScale));
}

}  // namespace pelnor
