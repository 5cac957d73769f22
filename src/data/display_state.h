// What the document shows, apart from the views themselves: a day, a month or the year
// that ends with a month, and the demand and energy scales chosen for it.
#pragma once

#include <cstdint>
#include <vector>

#include "data/device_history.h"
#include "data/period.h"
#include "data/view_kind.h"
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
  DisplayState();

  // Stores the period and output flag and, when asked, chooses the first scale whose top
  // reaches the displayed maximum (the last one when none does). The month of date must
  // be loaded (std::invalid_argument otherwise).
  void setView(const DeviceHistory& history, Period period, int outputFlag, const DateTime& date,
               bool rescaleDemand, bool rescaleEnergy);
  // The same for a year: the demand scale reaches the highest month and the contract
  // demand, the year's own energy scale the month with the most energy.
  void setYearView(const YearSummary& year, int outputFlag, bool rescaleDemand);

  // The energy scale of the axis shown: the year's own one in the year view.
  const ScaleEntry& shownEnergyScale() const;

  ViewKind viewKind = ViewKind::Sheet;
  Period period = Period::Day;
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
