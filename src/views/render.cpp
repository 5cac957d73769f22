#include "views/render.h"

#include <QPainter>

#include "data/report_defaults.h"
#include "views/graph_data.h"
#include "views/report_data.h"
#include "views/sheet_data.h"

namespace pelnor {

namespace {

constexpr int kMinimumBodyHeight = 500;

AxisScale axisOf(const ScaleEntry& e) { return AxisScale{e.divisions, e.offset, e.step}; }

}  // namespace

QImage renderView(DeviceHistory& history, const DeviceRegistry& registry, const CAppSettings& settings,
                  RenderedView view, int mode, const DateTime& date, QSize size) {
  DisplayState display;
  display.setView(history, mode, 0, date, true, true);
  if (mode == DisplayState::kMonthMode) {
    DeviceRecord registered;
    registry.find(history.device.deviceId, registered);
    fillReportDefaults(history.monthAt(history.monthPosition(date)).report, registered, registry.report,
                       DateTime::now());
  }
  const ContentSource source{history, settings.pulseConstant};
  CSheetData sheet;
  sheet.Build(source, mode, date);
  CGraphData graph;
  graph.Build(source, mode, date);
  CReportData report;
  report.Build(source, mode, date, QString::fromStdString(settings.corpName));
  const GraphStyle style{colorFromBgr(settings.demandColor), colorFromBgr(settings.maxTempColor),
                         colorFromBgr(settings.energyColor), settings.maxTempWidth, settings.energyWidth};
  const AxisScale demandAxis = axisOf(display.demandScales.at(static_cast<std::size_t>(display.demandScale)));
  const AxisScale energyAxis = axisOf(display.energyScales.at(static_cast<std::size_t>(display.energyScale)));

  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  DrawMetrics metrics;
  metrics.debugMode = settings.debugMode();
  switch (view) {
    case RenderedView::Sheet: {
      QPoint scroll, overflow;
      sheet.Draw(painter, image.rect(), metrics, QPoint(0, kMinimumBodyHeight), scroll, overflow);
      break;
    }
    case RenderedView::Graph:
      graph.Draw(painter, image.rect(), metrics, &sheet, demandAxis, energyAxis, style);
      break;
    case RenderedView::Report:
      report.Draw(painter, image.rect(), metrics, demandAxis, energyAxis, style);
      break;
  }
  return image;
}

}  // namespace pelnor
