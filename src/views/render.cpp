#include "views/render.h"

#include <QPainter>

#include "views/graph_data.h"
#include "views/sheet_data.h"

namespace pelnor {

namespace {

constexpr int kMinimumBodyHeight = 500;

AxisScale axisOf(const ScaleEntry& e) { return AxisScale{e.divisions, e.offset, e.step}; }

}  // namespace

QImage renderView(const DeviceHistory& history, const CAppSettings& settings, RenderedView view, int mode,
                  const DateTime& date, QSize size) {
  DisplayState display;
  display.setView(history, mode, 0, date, true, true);
  const ContentSource source{history, settings.pulseConstant};
  CSheetData sheet;
  sheet.Build(source, mode, date);
  CGraphData graph;
  graph.Build(source, mode, date);

  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  DrawMetrics metrics;
  metrics.debugMode = settings.debugMode();
  if (view == RenderedView::Sheet) {
    QPoint scroll, overflow;
    sheet.Draw(painter, image.rect(), metrics, QPoint(0, kMinimumBodyHeight), scroll, overflow);
  } else {
    const GraphStyle style{colorFromBgr(settings.demandColor), colorFromBgr(settings.maxTempColor),
                           colorFromBgr(settings.energyColor), settings.maxTempWidth, settings.energyWidth};
    graph.Draw(painter, image.rect(), metrics, &sheet,
               axisOf(display.demandScales.at(static_cast<std::size_t>(display.demandScale))),
               axisOf(display.energyScales.at(static_cast<std::size_t>(display.energyScale))), style);
  }
  return image;
}

}  // namespace pelnor
