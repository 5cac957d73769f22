#include "views/print_pages.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace pelnor {

int pageCount(const PrintRange& r) {
  if (r.period == Period::Day) {
    int days = 0;
    for (DateTime d = r.start.dateOnly(); !(r.end.dateOnly() < d); d = d.addDays(1)) ++days;
    return days;
  }
  const DateTime first = r.start.firstOfMonth(), last = r.end.firstOfMonth();
  if (last < first) return 0;
  return (last.year() - first.year()) * 12 + last.month() - first.month() + 1;
}

DateTime pageDate(const PrintRange& r, int page) {
  if (r.period == Period::Day) return r.start.dateOnly().addDays(page - 1);
  DateTime d = r.start.firstOfMonth();
  for (int i = 1; i < page; ++i) d = d.addDays(daysInMonth(d.year(), d.month()));
  return d;
}

void printPage(QPainter& painter, const QRect& page, int pageNumber, const PrintRange& range,
               ViewContents& contents, const PageSource& source) {
  const bool chooseScales = pageNumber != 1;
  contents.select(source.history, source.env, source.settings, range.period, range.report ? 1 : 0,
                  pageDate(range, pageNumber), chooseScales, chooseScales);
  DrawMetrics metrics;
  metrics.printing = true;
  metrics.scaleX = static_cast<double>(page.width()) / kDesignPageWidth;
  metrics.scaleY = static_cast<double>(page.height()) / kDesignPageHeight;
  metrics.debugMode = source.settings.debugMode();
  const GraphStyle style = ViewContents::styleOf(source.settings);
  if (contents.display.outputFlag != 0) {
    contents.report.Draw(painter, page, metrics, contents.demandAxis(), contents.energyAxis(), style);
    return;
  }
  const int middle = page.top() + (page.bottom() - page.top()) / 2;
  QPoint scroll, overflow;
  contents.sheet.Draw(painter, QRect(QPoint(page.left(), page.top()), QPoint(page.right(), middle)), metrics,
                      QPoint(0, 0), scroll, overflow);
  contents.graph.Draw(painter, QRect(QPoint(page.left(), middle + 1), page.bottomRight()), metrics, nullptr,
                      contents.demandAxis(), contents.energyAxis(), style);
}

bool printPages(QPagedPaintDevice& device, const PrintRange& range, ViewContents& contents,
                const PageSource& source, int first, int last) {
  const int count = pageCount(range);
  if (first <= 0) first = 1;
  if (last <= 0 || last > count) last = count;
  QPainter painter;
  if (!painter.begin(&device)) return false;
  const QRect page(0, 0, device.width(), device.height());
  for (int n = first; n <= last; ++n) {
    if (n != first) device.newPage();
    printPage(painter, page, n, range, contents, source);
  }
  painter.end();
  return true;
}

}  // namespace pelnor
