#include "views/view_contents.h"

#include <stdexcept>

#include "data/report_defaults.h"

namespace pelnor {

void ViewContents::select(DeviceHistory& history, const HistoryEnv& env, const CAppSettings& settings,
                          Period period, int outputFlag, const DateTime& date, bool rescaleDemand,
                          bool rescaleEnergy) {
  const int position = history.monthPosition(date);
  if (position < 0) throw std::invalid_argument("the month of the displayed date is not loaded");
  MonthRecord& month = history.monthAt(position);
  if (period == Period::Year) {
    year = summarizeYear(history, date, env);
    display.setYearView(year, outputFlag, rescaleDemand);
  } else {
    display.setView(history, period, outputFlag, date, rescaleDemand, rescaleEnergy);
  }
  if (period == Period::Month && month.report.entered == 0) {
    DeviceRecord registered;
    env.registry.find(history.device.deviceId, registered);
    fillReportDefaults(month.report, registered, env.registry.report, DateTime::now(),
                       yearPeakKw(summarizeYear(history, date, env)));
  }
  const ContentSource source{history, settings.pulseConstant, &year};
  graph.Build(source, period, date);
  sheet.Build(source, period, date);
  report.Build(source, period, date, QString::fromStdString(settings.corpName));
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
