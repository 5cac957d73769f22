#include "views/view_contents.h"

#include "data/report_defaults.h"

namespace pelnor {

void ViewContents::select(DeviceHistory& history, const DeviceRegistry& registry,
                          const CAppSettings& settings, int mode, int outputFlag, const DateTime& date,
                          bool rescaleDemand, bool rescaleEnergy) {
  display.setView(history, mode, outputFlag, date, rescaleDemand, rescaleEnergy);
  if (mode == DisplayState::kMonthMode) {
    DeviceRecord registered;
    registry.find(history.device.deviceId, registered);
    fillReportDefaults(history.monthAt(history.monthPosition(date)).report, registered, registry.report,
                       DateTime::now());
  }
  const ContentSource source{history, settings.pulseConstant};
  graph.Build(source, mode, date);
  sheet.Build(source, mode, date);
  report.Build(source, mode, date, QString::fromStdString(settings.corpName));
}

AxisScale ViewContents::demandAxis() const {
  const ScaleEntry& e = display.demandScales.at(static_cast<std::size_t>(display.demandScale));
  return AxisScale{e.divisions, e.offset, e.step};
}

AxisScale ViewContents::energyAxis() const {
  const ScaleEntry& e = display.energyScales.at(static_cast<std::size_t>(display.energyScale));
  return AxisScale{e.divisions, e.offset, e.step};
}

GraphStyle ViewContents::styleOf(const CAppSettings& s) {
  return GraphStyle{colorFromBgr(s.demandColor), colorFromBgr(s.maxTempColor), colorFromBgr(s.energyColor),
                    s.maxTempWidth, s.energyWidth};
}

}  // namespace pelnor
