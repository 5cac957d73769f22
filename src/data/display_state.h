// What the document shows, apart from the views themselves: a day, a month or the year
// that ends with a month, and the demand and energy scales chosen for it.
#pragma once

#include <cstdint>
#include <vector>

#include "data/device_history.h"
#include "data/year_summary.h"

namespace pelnor {

struct ScaleEntry {
  int32_t divisions = 5;
  double offset = 0;
  double step = 1;

  double top() const { return offset + divisions * step; }
};

class DisplayState {
 public:
  static constexpr int kDayMode = 1;
  static constexpr int kMonthMode = 2;
  static constexpr int kYearMode = 3;  // the twelve months that end with the chosen one

  // Months and years are chosen by their (last) month, days by their day.
  static bool chosenByMonth(int mode) { return mode != kDayMode; }

  DisplayState();

  // Stores the mode and output flag and, when asked, chooses the first scale whose top
  // reaches the displayed maximum (the last one when none does). The month of date must
  // be loaded (std::invalid_argument otherwise).
  void setView(const DeviceHistory& history, int mode, int outputFlag, const DateTime& date,
               bool rescaleDemand, bool rescaleEnergy);
  // The same for a year: the demand scale reaches the highest month and the contract
  // demand, the year's own energy scale the month with the most energy.
  void setYearView(const YearSummary& year, int outputFlag, bool rescaleDemand);

  // The energy scale of the axis shown: the year's own one in the year view.
  const ScaleEntry& shownEnergyScale() const;

  int viewKind = 4;
  int displayMode = kDayMode;
  int outputFlag = 0;
  std::vector<ScaleEntry> energyScales;
  int energyScale = 0;
  std::vector<ScaleEntry> demandScales;
  int demandScale = 0;
  // A month's energy is some thirty days': the same steps, on to far larger ones. Always
  // chosen for the period, never by the user.
  std::vector<ScaleEntry> yearEnergyScales;
  int yearEnergyScale = 0;
};

}  // namespace pelnor
