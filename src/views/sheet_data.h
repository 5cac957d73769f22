// The table of a day, a month or a year: header block, heading row, body and totals, built once
// per displayed period and drawn on any painter (the window, an image, a printed page).
#pragma once

#include <QPoint>
#include <QRect>
#include <optional>

#include "data/device_history.h"
#include "data/period.h"
#include "data/year_summary.h"
#include "views/cell_grid.h"
#include "views/draw_metrics.h"

class QPainter;

namespace pelnor {

// What the contents are built from.
struct ContentSource {
  const DeviceHistory& history;
  int32_t pulseConstant;
  const YearSummary* year = nullptr;  // the year view's months
};

class CSheetData {
 public:
  // Rebuilds every grid and text for the day or month of start (which must be loaded), or
  // for the year that ends with it (from source.year).
  void Build(const ContentSource& source, Period period, const DateTime& start);
  bool built() const { return period_.has_value(); }
  // Empty until built.
  std::optional<Period> period() const { return period_; }
  const DateTime& start() const { return start_; }

  // Draws the whole table in rect; true when the body overflows (the window then shows
  // a scroll bar). minBody is (0, 500) on screen and (0, 0) on paper.
  bool Draw(QPainter& painter, const QRect& rect, const DrawMetrics& metrics, QPoint minBody, QPoint& scroll,
            QPoint& overflow);
  // Only the header block (title with the paging hint, device, VCT and WHM), in rect.
  void DrawHeader(QPainter& painter, const QRect& rect, const DrawMetrics& metrics);

  // For tests and the command line: the grids as built.
  const CCellGrid& body() const { return body_; }
  const CCellGrid& totals() const { return totals_; }
  const CCellGrid& heading() const { return heading_; }
  const CCellGrid& title() const { return title_; }
  const CCellGrid& deviceBlock() const { return device_; }
  const CCellGrid& vctBlock() const { return vct_; }

 private:
  void buildHeader(const DeviceRecord& device, int32_t pulseConstant);
  void buildDay(const DayRecord& day);
  void buildMonth(const MonthRecord& month);
  void buildYear(const YearSummary& year);
  void fitAndPaint(QPainter& painter, CCellGrid& grid, bool unclipped);

  std::optional<Period> period_;
  DateTime start_;
  QString titleText_;
  CCellGrid title_, device_, vct_, whm_, heading_, body_, totalsHeading_, totals_;
};

}  // namespace pelnor
