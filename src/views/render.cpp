#include "views/render.h"

#include <QPainter>

#include "views/view_contents.h"

namespace pelnor {

namespace {

constexpr int kMinimumBodyHeight = 500;

}  // namespace

QImage renderView(DeviceHistory& history, const HistoryEnv& env, const CAppSettings& settings, ViewKind view,
                  Period period, const DateTime& date, QSize size) {
  ViewContents contents;
  contents.select(history, env, settings, period, 0, date, true, true);
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  DrawMetrics metrics;
  metrics.debugMode = settings.debugMode();
  const GraphStyle style = ViewContents::styleOf(settings);
  switch (view) {
    case ViewKind::Sheet: {
      QPoint scroll, overflow;
      contents.sheet.Draw(painter, image.rect(), metrics, QPoint(0, kMinimumBodyHeight), scroll, overflow);
      break;
    }
    case ViewKind::Graph:
      contents.graph.Draw(painter, image.rect(), metrics, &contents.sheet, contents.demandAxis(),
                          contents.energyAxis(), style);
      break;
    case ViewKind::Report:
      contents.report.Draw(painter, image.rect(), metrics, contents.demandAxis(), contents.energyAxis(),
                           style);
      break;
  }
  return image;
}

}  // namespace pelnor
