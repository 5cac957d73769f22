// What the document shows, apart from the views themselves: a day or a month, and the
// demand and energy scales chosen for it.
#pragma once

#include <cstdint>
#include <vector>

#include "data/device_history.h"

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

  DisplayState();

  // Stores the mode and output flag and, when asked, chooses the first scale whose top
  // reaches the displayed maximum (the last one when none does). The month of date must
  // be loaded (std::invalid_argument otherwise).
  void setView(const DeviceHistory& history, int mode, int outputFlag, const DateTime& date,
               bool rescaleDemand, bool rescaleEnergy);

  int viewKind = 4;
  int displayMode = kDayMode;
  int outputFlag = 0;
  std::vector<ScaleEntry> energyScales;
  int energyScale = 0;
  std::vector<ScaleEntry> demandScales;
  int demandScale = 0;
};

}  // namespace pelnor
