#include "app/pelnor_doc.h"

#include <QWidget>

#include "data/reporter.h"
#include "data/text.h"

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

void CPelnorDoc::setView(Period period, int outputFlag, const DateTime& date, bool rescaleDemand,
                         bool rescaleEnergy, bool quiet) {
  contents_.select(app_.history, app_.historyEnv(), app_.settings, period, outputFlag, date, rescaleDemand,
                   rescaleEnergy);
  shownDate_ = date;
  if (!quiet) Q_EMIT energyScaleChosen(contents_.display.energyScale);
  if (!quiet) Q_EMIT updated(kHintPeriod);
}

QString CPelnorDoc::description() const {
  if (app_.history.months.empty() || !shownDate_.isValid()) return "表示するデータがありません";
  const Period period = contents_.display.period;
  const DeviceRecord& device = app_.history.device;
  const std::string shown =
      period == Period::Year ? yearPeriodText(shownDate_) : monthText(period, shownDate_);
  return QString::fromStdString(formatText("機器ＩＤ %ld %s：%s（%s）", static_cast<long>(device.deviceId),
                                           device.customerName.c_str(), shown.c_str(), periodName(period)));
}

void CPelnorDoc::setViewKind(ViewKind kind) {
  if (kind == contents_.display.viewKind) return;
  contents_.display.viewKind = kind;
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

AxisScale CPelnorDoc::demandAxis() const { return contents_.demandAxis(); }
AxisScale CPelnorDoc::energyAxis() const { return contents_.energyAxis(); }
GraphStyle CPelnorDoc::graphStyle() const { return ViewContents::styleOf(app_.settings); }

DrawMetrics CPelnorDoc::screenMetrics() const {
  DrawMetrics m;
  m.debugMode = app_.settings.debugMode();
  return m;
}

}  // namespace pelnor
