// One chart: its frame, title band, axis titles, tick labels, legend and x labels, and the
// mapping of values into its plot. The graph view, the report's charts and printed pages
// all draw charts with it.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

#include "views/draw_metrics.h"

class QPainter;

namespace pelnor {

struct AxisScale {
  int divisions = 5;
  double base = 0;
  double step = 1;
  double top() const { return base + divisions * step; }
};

struct SeriesPoint {
  bool hasValue = false;
  double value = 0;
};
using Series = std::vector<SeriesPoint>;

class ChartFrame {
 public:
  QString title;
  QString leftTitle, rightTitle;
  AxisScale leftScale, rightScale;
  QColor barColor, lineColor;          // for the legend
  int positions = 48;                  // x positions: 48 for a day, 31 for a month, 12 for a year
  int labelStep = 2;                   // every second position of a day is labelled
  // Positions in the middle of equal cells (a year's wide bars stay whole), instead of
  // from edge to edge.
  bool centred = false;
  std::function<QString(int)> xLabel;  // empty text: no label

  // Draws the frame in rect and works out the plot area.
  void paint(QPainter& painter, const QRect& rect, const DrawMetrics& metrics);
  const QRect& plot() const { return plot_; }

  int xOf(int position) const;
  // y of a value on a scale from minimum to maximum.
  int yOf(double value, double minimum, double maximum) const;

  // Series, clipped to the plot (unless in debug mode).
  void drawBars(QPainter& painter, const Series& series, const AxisScale& scale, const QColor& color,
                const DrawMetrics& metrics) const;
  void drawLine(QPainter& painter, const Series& series, double minimum, double maximum, const QColor& color,
                int width, const DrawMetrics& metrics) const;
  // A dashed line across the plot at value on scale, with its label above the right end.
  void drawLevel(QPainter& painter, double value, const AxisScale& scale, const QColor& color,
                 const QString& label, const DrawMetrics& metrics) const;

 private:
  QRect plot_;
};

}  // namespace pelnor
