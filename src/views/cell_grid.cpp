#include "views/cell_grid.h"

#include <QPainter>
#include <algorithm>

#include "views/fonts.h"

namespace pelnor {

void CCellGrid::setSize(int columns, int rows) {
  columnPercent_.assign(static_cast<std::size_t>(columns), columns > 0 ? 100.0 / columns : 0);
  rowPercent_.assign(static_cast<std::size_t>(rows), rows > 0 ? 100.0 / rows : 0);
  texts_.assign(static_cast<std::size_t>(columns * rows), QString());
  fonts_.assign(static_cast<std::size_t>(columns), QFont(kFaceName));
  alignment_.assign(static_cast<std::size_t>(columns), Qt::AlignCenter | Qt::TextSingleLine);
  wholeLines_.assign(static_cast<std::size_t>(columns), false);
}

void CCellGrid::setFontForAll(const QFont& font) { std::fill(fonts_.begin(), fonts_.end(), font); }

void CCellGrid::setUnderline(int column, bool underline) {
  fonts_.at(static_cast<std::size_t>(column)).setUnderline(underline);
}

void CCellGrid::setAlignment(int column, int flags) {
  alignment_.at(static_cast<std::size_t>(column)) = flags;
}

void CCellGrid::setColumnWidth(int column, double percent) {
  columnPercent_.at(static_cast<std::size_t>(column)) = percent;
}
void CCellGrid::setColumnWidths(std::initializer_list<double> percents) {
  int column = 0;
  for (double percent : percents) setColumnWidth(column++, percent);
}

void CCellGrid::setRowHeight(int row, double percent) {
  rowPercent_.at(static_cast<std::size_t>(row)) = percent;
}

void CCellGrid::setText(int column, int row, const QString& text) {
  texts_.at(static_cast<std::size_t>(column * rows() + row)) = text;
}

const QString& CCellGrid::text(int column, int row) const {
  return texts_.at(static_cast<std::size_t>(column * rows() + row));
}

std::vector<int> CCellGrid::edges(int from, int to, const std::vector<double>& percent) {
  // Offsets are taken of the size counting both edges, from the cumulative percentages.
  const double size = to - from + 1;
  std::vector<int> out{from};
  double cumulative = 0;
  for (std::size_t i = 0; i < percent.size(); ++i) {
    cumulative += percent[i];
    out.push_back(i + 1 == percent.size() ? to : from + static_cast<int>(size * cumulative * 0.01));
  }
  return out;
}

void CCellGrid::layout(const QRect& rect, QPoint& scroll) {
  unmoved_ = rect;
  QRect grid = rect;
  overflow_ = QPoint(0, 0);
  if (minimum_.x() > 0 && grid.width() < minimum_.x()) {
    overflow_.setX(minimum_.x() - grid.width());
    grid.setWidth(minimum_.x());
  }
  if (minimum_.y() > 0 && grid.height() < minimum_.y()) {
    overflow_.setY(minimum_.y() - grid.height());
    grid.setHeight(minimum_.y());
  }
  scroll.setX(std::clamp(scroll.x(), 0, overflow_.x()));
  scroll.setY(std::clamp(scroll.y(), 0, overflow_.y()));
  grid.translate(-scroll);
  columnEdges_ = edges(grid.left(), grid.right(), columnPercent_);
  rowEdges_ = edges(grid.top(), grid.bottom(), rowPercent_);
}

QRect CCellGrid::cell(int column, int row) const {
  return QRect(
      QPoint(columnEdges_.at(static_cast<std::size_t>(column)), rowEdges_.at(static_cast<std::size_t>(row))),
      QPoint(columnEdges_.at(static_cast<std::size_t>(column) + 1),
             rowEdges_.at(static_cast<std::size_t>(row) + 1)));
}

void CCellGrid::fitFont(const QPainter& painter, int column, int row, const QString& sample, bool bold) {
  fonts_.at(static_cast<std::size_t>(column)) =
      fittedFont(*painter.device(), cell(column, row), sample, bold);
}

void CCellGrid::copyFontToAll(int fromColumn) {
  QFont font = fonts_.at(static_cast<std::size_t>(fromColumn));
  std::fill(fonts_.begin(), fonts_.end(), font);
}

void CCellGrid::copyFont(int fromColumn, int toColumn) {
  fonts_.at(static_cast<std::size_t>(toColumn)) = fonts_.at(static_cast<std::size_t>(fromColumn));
}

void CCellGrid::capFonts(const QFont& limit) {
  for (QFont& font : fonts_) {
    if (font.pixelSize() > limit.pixelSize()) font.setPixelSize(limit.pixelSize());
  }
}

void CCellGrid::setWholeLinesOnly(int column, bool wholeLines) {
  wholeLines_.at(static_cast<std::size_t>(column)) = wholeLines;
}

void CCellGrid::paint(QPainter& painter, bool unclipped) const {
  if (columns() == 0 || rows() == 0) return;
  painter.save();
  if (!unclipped) painter.setClipRect(unmoved_.adjusted(0, 0, 1, 1));
  painter.setPen(Qt::black);
  painter.setBackground(Qt::white);
  painter.setBackgroundMode(Qt::OpaqueMode);
  for (int c = 0; c < columns(); ++c) {
    painter.setFont(fonts_[static_cast<std::size_t>(c)]);
    for (int r = 0; r < rows(); ++r) {
      const QString& t = text(c, r);
      if (t.isEmpty()) continue;
      const QRect textRect = cell(c, r).adjusted(1, 1, 0, 0);
      const int flags = alignment_[static_cast<std::size_t>(c)];
      if (wholeLines_[static_cast<std::size_t>(c)]) {
        const int line = std::max(1, painter.fontMetrics().lineSpacing());
        const int lines = cell(c, r).height() / line;  // as many as the font was fitted to
        painter.save();
        painter.setClipRect(QRect(textRect.left(), textRect.top(), textRect.width() + 1, lines * line),
                            Qt::IntersectClip);
        painter.drawText(textRect, flags, t);
        painter.restore();
        continue;
      }
      const bool oneLine = (flags & Qt::TextWordWrap) == 0 && !t.contains('\n');
      if (elide_ && oneLine && painter.fontMetrics().horizontalAdvance(t) > textRect.width()) {
        const QString shortened = painter.fontMetrics().elidedText(t, Qt::ElideRight, textRect.width());
        painter.drawText(textRect, (flags & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft, shortened);
        continue;
      }
      painter.drawText(textRect, flags, t);
    }
  }
  painter.setBackgroundMode(Qt::TransparentMode);
  if (drawLines_) {
    painter.setPen(QPen(Qt::black, 0));
    const int top = rowEdges_.front(), bottom = rowEdges_.back();
    const int left = columnEdges_.front(), right = columnEdges_.back();
    for (int x : columnEdges_) painter.drawLine(x, top, x, bottom);
    for (int y : rowEdges_) painter.drawLine(left, y, right, y);
    painter.drawRect(unmoved_.adjusted(0, 0, 1, 1));
  }
  painter.restore();
}

}  // namespace pelnor
