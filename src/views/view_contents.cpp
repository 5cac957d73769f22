#include "views/view_contents.h"

#include <stdexcept>

#include "data/report_defaults.h"

namespace pelnor {

void ViewContents::select(DeviceHistory& history, const HistoryEnv& env, const CAppSettings& settings, int mode,
                          int outputFlag, const DateTime& date, bool rescaleDemand, bool rescaleEnergy) {
  const int position = history.monthPosition(date);
  if (position < 0) throw std::invalid_argument("the month of the displayed date is not loaded");
  MonthRecord& month = history.monthAt(position);
  if (mode == DisplayState::kYearMode) {
    year = summarizeYear(history, date, env);
    display.setYearView(year, outputFlag, rescaleDemand);
  } else {
    display.setView(history, mode, outputFlag, date, rescaleDemand, rescaleEnergy);
  }
  if (mode == DisplayState::kMonthMode && month.report.entered == 0) {
    DeviceRecord registered;
    env.registry.find(history.device.deviceId, registered);
    fillReportDefaults(month.report, registered, env.registry.report, DateTime::now(),
                       yearPeakKw(summarizeYear(history, date, env)));
  }
  const ContentSource source{history, settings.pulseConstant, &year};
  graph.Build(source, mode, date);
  sheet.Build(source, mode, date);
  report.Build(source, mode, date, QString::fromStdString(settings.corpName));
}

AxisScale ViewContents::demandAxis() const {
  const ScaleEntry& e = display.demandScales.at(static_cast<std::size_t>(display.demandScale));
  return AxisScale{e.divisions, e.offset, e.step};
}

AxisScale ViewContents::energyAxis() const {
  const ScaleEntry& e = display.shownEnergyScale();
  return AxisScale{e.divisions, e.offset, e.step};
}

GraphStyle ViewContents::styleOf(const CAppSettings& s) {
  return GraphStyle{colorFromBgr(s.demandColor), colorFromBgr(s.maxTempColor), colorFromBgr(s.energyColor),
                    s.maxTempWidth, s.energyWidth};
}

}  // namespace pelnor
