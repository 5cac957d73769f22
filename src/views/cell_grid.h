// A rectangular grid of centred one-line text cells with ruled lines: the building block
// of the table and of the report's tables. Widths and heights are given in percent of the
// grid; each paint lays the grid out in a rectangle and fits its fonts there.
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <initializer_list>
#include <vector>

class QPainter;

namespace pelnor {

class CCellGrid {
 public:
  void setSize(int columns, int rows);
  int columns() const { return static_cast<int>(columnPercent_.size()); }
  int rows() const { return static_cast<int>(rowPercent_.size()); }
  // Percent of the grid's width; the last column always ends at the grid's right edge.
  void setColumnWidth(int column, double percent);
  void setColumnWidths(std::initializer_list<double> percents);
  void setRowHeight(int row, double percent);
  void setText(int column, int row, const QString& text);
  const QString& text(int column, int row) const;

  // The body of a table keeps a minimum size; what does not fit scrolls.
  void setMinimumSize(int width, int height) { minimum_ = QPoint(width, height); }
  void setDrawLines(bool draw) { drawLines_ = draw; }

  // Lays the cells out in rect. scroll is clamped to the overflow and applied; the
  // overflow (how much larger than rect the grid had to be) is kept.
  void layout(const QRect& rect, QPoint& scroll);
  QPoint overflow() const { return overflow_; }
  const QRect& rect() const { return unmoved_; }
  QRect cell(int column, int row) const;

  // Fits a column's font to one of its cells and a sample text.
  void fitFont(const QPainter& painter, int column, int row, const QString& sample, bool bold = false);
  void copyFontToAll(int fromColumn);
  void copyFont(int fromColumn, int toColumn);
  const QFont& font(int column) const { return fonts_.at(static_cast<std::size_t>(column)); }
  void setFontForAll(const QFont& font);
  // No column's font larger than limit (its pixel size).
  void capFonts(const QFont& limit);
  void setUnderline(int column, bool underline);
  // How a column's texts sit in their cells: centred on one line unless said otherwise.
  void setAlignment(int column, int flags);
  // A column whose cells show only the lines of text that fit wholly (printed notes: a
  // part of a further line would show above the lower edge).
  void setWholeLinesOnly(int column, bool wholeLines);
  // One-line texts wider than their cells end in an ellipsis instead of being cut at both
  // ends (on screen; paper keeps its layout).
  void setElideOverflow(bool elide) { elide_ = elide; }

  // Texts, then lines; clipped to the grid unless unclipped.
  void paint(QPainter& painter, bool unclipped) const;

 private:
  static std::vector<int> edges(int from, int to, const std::vector<double>& percent);

  std::vector<double> columnPercent_, rowPercent_;
  std::vector<QString> texts_;               // column-major
  std::vector<QFont> fonts_;                 // one per column
  std::vector<int> alignment_;               // Qt alignment and text flags, one per column
  std::vector<bool> wholeLines_;             // one per column
  std::vector<int> columnEdges_, rowEdges_;  // left/top edge of each column/row, then the last right/bottom
  QPoint minimum_{0, 0};
  QPoint overflow_{0, 0};
  QRect unmoved_;
  bool drawLines_ = true;
  bool elide_ = false;
};

}  // namespace pelnor
