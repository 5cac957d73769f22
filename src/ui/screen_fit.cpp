#include "ui/screen_fit.h"

#include <algorithm>

namespace pelnor {

namespace {

qint64 area(const QRect& r) { return r.isEmpty() ? 0 : qint64(r.width()) * r.height(); }

}  // namespace

QRect fitIntoScreens(const QRect& wanted, const QList<QRect>& availableAreas, const QMargins& frame) {
  if (availableAreas.isEmpty()) return wanted;
  const QRect outer = wanted.marginsAdded(frame);
  QRect screen = availableAreas.front();
  qint64 most = 0;
  for (const QRect& candidate : availableAreas) {
    const qint64 shared = area(candidate.intersected(outer));
    if (shared > most) {
      most = shared;
      screen = candidate;
    }
  }
  const QRect inner = screen.marginsRemoved(frame);
  if (inner.isEmpty()) return screen;
  const QSize size = wanted.size().boundedTo(inner.size());
  const int left = std::clamp(wanted.left(), inner.left(), inner.left() + inner.width() - size.width());
  const int top = std::clamp(wanted.top(), inner.top(), inner.top() + inner.height() - size.height());
  return QRect(QPoint(left, top), size);
}

}  // namespace pelnor
