// What the views show of one period, built together: the display state with its scales,
// the year's months (in the year view), and the contents of the table, the graph and the
// report. The document holds one for the window; printing and pelnor-cli use the same.
#pragma once

#include "data/app_settings.h"
#include "data/device_registry.h"
#include "data/display_state.h"
#include "views/graph_data.h"
#include "views/report_data.h"
#include "views/sheet_data.h"

namespace pelnor {

struct ViewContents {
  // The period of date (its month loaded): scales chosen as asked, a report never entered
  // given its defaults, and the three contents rebuilt. The months of a year that are not
  // in memory are read from their files under env (the history stays as it is).
  void select(DeviceHistory& history, const HistoryEnv& env, const CAppSettings& settings, Period period,
              int outputFlag, const DateTime& date, bool rescaleDemand, bool rescaleEnergy);

  AxisScale demandAxis() const;
  AxisScale energyAxis() const;
  static GraphStyle styleOf(const CAppSettings& settings);

  DisplayState display;
  YearSummary year;
  CSheetData sheet;
  CGraphData graph;
  CReportData report;
};

}  // namespace pelnor
