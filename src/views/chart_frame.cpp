#include "views/chart_frame.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "data/clamp_to_integer.h"
#include "data/text.h"
#include "views/fonts.h"

namespace pelnor {

namespace {

constexpr int kInset = 10;  // the first and last x positions lie this far inside the plot
constexpr int kAxisTitlePoints = 10;
constexpr int kTickLabelPoints = 9;
constexpr double kLabelAngle = -40;      // degrees, counter-clockwise
constexpr double kFarOutside = 1 << 14;  // the farthest a point lies from the plot bottom, in pixels

void drawOpaqueText(QPainter& painter, const QRect& rect, int flags, const QString& text) {
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.drawText(rect, flags, text);
  painter.setBackgroundMode(Qt::TransparentMode);
}

}  // namespace

void ChartFrame::paint(QPainter& p, const QRect& rect, const DrawMetrics& m) {
  p.save();
  p.setPen(QPen(Qt::black, 0));
  p.setBrush(Qt::NoBrush);
  p.setBackground(Qt::white);
  p.drawRect(rect);
  const QRect inner = rect.adjusted(m.x(5, 15), m.y(5, 15), -m.x(5, 15), -m.y(5, 15));

  // Title band.
  const QRect band(inner.left(), inner.top(), inner.width(), m.y(20, 50));
  p.setFont(fittedFont(*p.device(), band, title, true));
  drawOpaqueText(p, band, Qt::AlignCenter | Qt::TextSingleLine, title);
  const int top = band.bottom() + 1 + m.y(5, 2);

  // Axis titles, written downwards at both edges.
  p.setFont(faceAtPointSize(kAxisTitlePoints, *p.device()));
  QFontMetrics titleMetrics(p.font(), p.device());
  const int titleWidth = titleMetrics.horizontalAdvance(QStringLiteral("あ")) + m.x(5, 40);
  p.setBackgroundMode(Qt::OpaqueMode);
  drawVerticalText(p, inner.left(), top + m.y(30, 60), leftTitle);
  drawVerticalText(p, inner.right() - titleWidth + m.x(5, 40), top + m.y(30, 60), rightTitle);
  p.setBackgroundMode(Qt::TransparentMode);

  // Tick label columns, the legend band and the plot.
  p.setFont(faceAtPointSize(kTickLabelPoints, *p.device()));
  QFontMetrics tickMetrics(p.font(), p.device());
  const int labelWidth = tickMetrics.horizontalAdvance(QStringLiteral("999999")) + m.x(10, 30);
  const int legendBottom = top + m.y(15, 55);
  const int plotLeft = inner.left() + titleWidth + labelWidth;
  const int plotRight = inner.right() - titleWidth - labelWidth;
  const int plotTop = legendBottom + tickMetrics.height() / 2;
  const int plotBottom = inner.bottom() - m.y(33, 120);
  plot_ = QRect(QPoint(plotLeft, plotTop), QPoint(plotRight, plotBottom));

  // Scales.
  const double leftStep = static_cast<double>(plot_.height()) / leftScale.divisions;
  for (int i = 0; i <= leftScale.divisions; ++i) {
    const int y = plotBottom - static_cast<int>(i * leftStep);
    QRect cell(plotLeft - labelWidth, y - tickMetrics.height() / 2, labelWidth - m.x(10, 30) / 2,
               tickMetrics.height());
    drawOpaqueText(p, cell, Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromStdString(formatText("%5.0lf", leftScale.base + i * leftScale.step)));
  }
  const double rightStep = static_cast<double>(plot_.height()) / rightScale.divisions;
  for (int i = 0; i <= rightScale.divisions; ++i) {
    const int y = plotBottom - static_cast<int>(i * rightStep);
    QRect cell(plotRight + m.x(10, 30) / 2, y - tickMetrics.height() / 2, labelWidth, tickMetrics.height());
    drawOpaqueText(p, cell, Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(formatText("%-5.0lf", rightScale.base + i * rightScale.step)));
  }

  // Plot frame and ticks.
  const int tick = m.x(7, 15);
  p.drawRect(plot_);
  for (int i = 0; i <= leftScale.divisions; ++i) {
    const int y = i == leftScale.divisions ? plotBottom : plotTop + static_cast<int>(i * leftStep);
    p.drawLine(plotLeft - tick, y, plotLeft, y);
  }
  for (int i = 0; i <= rightScale.divisions; ++i) {
    const int y = i == rightScale.divisions ? plotBottom : plotTop + static_cast<int>(i * rightStep);
    p.drawLine(plotRight, y, plotRight + tick, y);
  }
  const int tickEvery = positions == 48 ? 2 : 1;
  for (int i = 0; i < positions; i += tickEvery)
    p.drawLine(xOf(i), plotBottom, xOf(i), plotBottom + m.y(7, 15));

  // X labels, turned 40 degrees, hung from the top-left corner of their cell.
  const QRect labelCell(0, 0, m.x(30, 100), m.y(30, 60));
  const QFont labelFont = fittedFont(*p.device(), labelCell, QStringLiteral("99/99"));
  p.setFont(labelFont);
  QFontMetrics labelMetrics(labelFont, p.device());
  // On a narrow screen the turned labels would run into each other: only every so many
  // is drawn, as far apart as a line of them is high. Paper keeps them all.
  const int unit = std::max(1, labelStep);
  int step = unit;
  if (!m.printing && positions > unit) {
    const double apart =
        std::abs((xOf(unit) - xOf(0)) * std::sin(kLabelAngle * 3.14159265358979323846 / 180.0));
    while (step < positions && apart * (step / unit) < labelMetrics.height()) step += unit;
  }
  for (int i = 0; i < positions; i += step) {
    const QString text = xLabel ? xLabel(i) : QString();
    if (text.isEmpty()) continue;
    p.save();
    p.translate(xOf(i) - labelCell.width() / 2, plotBottom + m.y(25, 100));
    p.rotate(kLabelAngle);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.drawText(0, labelMetrics.ascent(), text);
    p.restore();
  }

  // Legend: bar sample and left title, line sample and right title.
  p.setFont(faceAtPointSize(kTickLabelPoints, *p.device()));
  const int legendTop = top + (m.y(15, 55) - tickMetrics.height()) / 2;
  int x = plotLeft + m.x(5, 15);
  const int boxW = m.x(30, 100), boxH = m.y(10, 30);
  const int midY = legendTop + tickMetrics.height() / 2;
  p.fillRect(QRect(x, midY - boxH / 2, boxW, boxH), barColor);
  p.drawRect(QRect(x, midY - boxH / 2, boxW, boxH));
  x += boxW + m.x(5, 15);
  QRect text(x, legendTop, tickMetrics.horizontalAdvance(leftTitle) + 2, tickMetrics.height());
  drawOpaqueText(p, text, Qt::AlignLeft | Qt::AlignVCenter, leftTitle);
  p.drawRect(text);
  x = text.right() + m.x(5, 15) + m.x(5, 15);
  const int lineH = std::max(5, m.y(5, 15));
  p.fillRect(QRect(x, midY - lineH / 2, boxW, lineH), lineColor);
  p.drawRect(QRect(x, midY - lineH / 2, boxW, lineH));
  x += boxW + m.x(5, 15);
  text = QRect(x, legendTop, tickMetrics.horizontalAdvance(rightTitle) + 2, tickMetrics.height());
  drawOpaqueText(p, text, Qt::AlignLeft | Qt::AlignVCenter, rightTitle);
  p.drawRect(text);
  p.restore();
}

int ChartFrame::xOf(int position) const {
  const int width = plot_.width();  // both edges counted
  if (centred) return plot_.left() + static_cast<int>((position + 0.5) * width / positions);
  return plot_.left() + kInset +
         static_cast<int>(static_cast<double>(position) * (width - 2 * kInset) / (positions - 1));
}

int ChartFrame::yOf(double value, double minimum, double maximum) const {
  if (maximum == minimum) return plot_.bottom();
  const int height = plot_.height();
  // A value far off the scale (a damaged file's 1e308) lies at most this far outside: the
  // line to it stays steep enough, and the int, the painter's fixed point coordinates and
  // the time spent stroking the line outside the clip stay small.
  const double offset = std::trunc((value - minimum) * height / (maximum - minimum) + 0.5);
  return plot_.bottom() - clampToInteger<int>(std::clamp(offset, -kFarOutside, kFarOutside));
}

void ChartFrame::drawBars(QPainter& p, const Series& series, const AxisScale& scale, const QColor& color,
                          const DrawMetrics& m) const {
  p.save();
  if (!m.debugMode) p.setClipRect(plot_);
  const int w = positions > 1 ? xOf(1) - xOf(0) : 0;
  for (std::size_t i = 0; i < series.size() && static_cast<int>(i) < positions; ++i) {
    if (!series[i].hasValue) continue;
    const int x = xOf(static_cast<int>(i));
    const int y = yOf(series[i].value, scale.base, scale.top());
    p.fillRect(QRect(QPoint(x - w / 4, std::min(y, plot_.bottom() + 1)), QPoint(x + w / 4, plot_.bottom())),
               color);
  }
  p.restore();
}

void ChartFrame::drawLine(QPainter& p, const Series& series, double minimum, double maximum,
                          const QColor& color, int width, const DrawMetrics& m) const {
  p.save();
  if (!m.debugMode) p.setClipRect(plot_);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  for (std::size_t i = 1; i < series.size() && static_cast<int>(i) < positions; ++i) {
    if (!series[i - 1].hasValue || !series[i].hasValue) continue;  // a gap breaks the line
    p.drawLine(xOf(static_cast<int>(i) - 1), yOf(series[i - 1].value, minimum, maximum),
               xOf(static_cast<int>(i)), yOf(series[i].value, minimum, maximum));
  }
  p.restore();
}

void ChartFrame::drawLevel(QPainter& p, double value, const AxisScale& scale, const QColor& color,
                           const QString& label, const DrawMetrics& m) const {
  p.save();
  if (!m.debugMode) p.setClipRect(plot_);
  const int y = yOf(value, scale.base, scale.top());
  p.setPen(QPen(color, std::max(1, m.x(2, 6)), Qt::DashLine, Qt::FlatCap));
  p.drawLine(plot_.left(), y, plot_.right(), y);
  p.setFont(faceAtPointSize(kTickLabelPoints, *p.device()));
  const QFontMetrics metrics(p.font(), p.device());
  const int width = metrics.horizontalAdvance(label) + 2;
  const QRect text(plot_.right() - m.x(5, 15) - width, y - m.y(3, 9) - metrics.height(), width, metrics.height());
  p.setPen(color);
  p.setBackground(Qt::white);
  drawOpaqueText(p, text, Qt::AlignCenter | Qt::TextSingleLine, label);
  p.restore();
}

}  // namespace pelnor
