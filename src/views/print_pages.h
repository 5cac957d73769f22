// Printed pages: one per day or per month of a range (in the year view, the year ending
// with each month), each a report page or a page with the table above the charts, laid out
// in design units of a 2893 x 3970 page.
#pragma once

#include <QRect>
#include <functional>

#include "views/view_contents.h"

class QPagedPaintDevice;
class QPainter;

namespace pelnor {

struct PrintRange {
  Period period = Period::Day;  // a page per day, per month, or per year ending with each month
  DateTime start, end;
  bool report = false;  // report pages (months only) instead of table and graph
};

constexpr int kDesignPageWidth = 2893;
constexpr int kDesignPageHeight = 3970;

int pageCount(const PrintRange& range);
// The period of page n (1-based).
DateTime pageDate(const PrintRange& range, int page);

// What a page is printed from.
struct PageSource {
  DeviceHistory& history;
  HistoryEnv env;  // the registry, and where the months of a year not in memory are read
  const CAppSettings& settings;
};

// Selects page n's period in contents (the first page keeps the scales the user has, the
// others choose their own) and paints it on the page rectangle.
void printPage(QPainter& painter, const QRect& page, int pageNumber, const PrintRange& range,
               ViewContents& contents, const PageSource& source);

// Pages first..last (all when 0) on a printer or a PDF; between pages the device starts a
// new one. False when the device could not be painted on.
bool printPages(QPagedPaintDevice& device, const PrintRange& range, ViewContents& contents,
                const PageSource& source, int first = 0, int last = 0);

}  // namespace pelnor
