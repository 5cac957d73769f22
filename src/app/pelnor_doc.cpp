#include "app/pelnor_doc.h"

#include <QWidget>

#include "data/report_defaults.h"
#include "data/reporter.h"

namespace pelnor {

CPelnorDoc::CPelnorDoc(AppContext& app, QObject* parent) : QObject(parent), app_(app) {}

void CPelnorDoc::firstInit() {
  if (!initialised_) {
    initialised_ = true;
    app_.location.fallBackToOwnWithoutMaster();
    app_.registry.load(app_.location.root(), app_.storage);
  }
  Q_EMIT updated(kHintReloaded);
}

void CPelnorDoc::setView(int mode, int outputFlag, const DateTime& date, bool rescaleDemand,
                         bool rescaleEnergy, bool quiet) {
  display_.setView(app_.history, mode, outputFlag, date, rescaleDemand, rescaleEnergy);
  if (!quiet) Q_EMIT energyScaleChosen(display_.energyScale);
  const ContentSource source{app_.history, app_.settings.pulseConstant};
  if (mode == DisplayState::kMonthMode) {
    // A month's report that was never entered shows today's defaults.
    DeviceRecord registered;
    app_.registry.find(app_.history.device.deviceId, registered);
    fillReportDefaults(app_.history.monthAt(app_.history.monthPosition(date)).report, registered,
                       app_.registry.report, DateTime::now());
  }
  graph_.Build(source, mode, date);
  sheet_.Build(source, mode, date);
  report_.Build(source, mode, date, QString::fromStdString(app_.settings.corpName));
  if (!quiet) Q_EMIT updated(kHintPeriod);
}

void CPelnorDoc::setViewKind(int kind) {
  if (kind == display_.viewKind) return;
  display_.viewKind = kind;
  Q_EMIT viewKindChanged(kind);
}

void CPelnorDoc::loadPastMonths(int32_t deviceId, const DateTime& month, int count) {
  app_.history.loadPastMonths(deviceId, month, count, app_.historyEnv());
}

void CPelnorDoc::close(const QWidget& mainWindow) {
  {
    WaitCursor wait(app_.reporter);
    if (app_.location.isOwn()) app_.registry.save(app_.location.root(), app_.storage);
  }
  WindowPlacement& placement = app_.settings.windowPlacement;
  const QRect normal = mainWindow.normalGeometry();
  placement.length = 44;
  placement.flags = mainWindow.isMaximized() ? 2 : 0;  // restore to maximised
  placement.showCmd = mainWindow.isMaximized() ? 3 : 1;
  placement.left = normal.left();
  placement.top = normal.top();
  placement.right = normal.right() + 1;
  placement.bottom = normal.bottom() + 1;
  app_.settings.placementValid = 1;
}

AxisScale CPelnorDoc::demandAxis() const {
  const ScaleEntry& e = display_.demandScales.at(static_cast<std::size_t>(display_.demandScale));
  return AxisScale{e.divisions, e.offset, e.step};
}

AxisScale CPelnorDoc::energyAxis() const {
  const ScaleEntry& e = display_.energyScales.at(static_cast<std::size_t>(display_.energyScale));
  return AxisScale{e.divisions, e.offset, e.step};
}

GraphStyle CPelnorDoc::graphStyle() const {
  const CAppSettings& s = app_.settings;
  return GraphStyle{colorFromBgr(s.demandColor), colorFromBgr(s.maxTempColor), colorFromBgr(s.energyColor),
                    s.maxTempWidth, s.energyWidth};
}

DrawMetrics CPelnorDoc::screenMetrics() const {
  DrawMetrics m;
  m.debugMode = app_.settings.debugMode();
  return m;
}

}  // namespace pelnor
