// Where a window goes so that it lies on a screen: a stored placement may come from a larger
// screen or from a screen that is gone.
#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

namespace pelnor {

// `wanted` (the window's inner rectangle) moved and, if need be, shrunk so that it and its
// frame lie inside the available area that holds most of it (the first area when none
// holds any of it). No areas: `wanted` unchanged.
QRect fitIntoScreens(const QRect& wanted, const QList<QRect>& availableAreas, const QMargins& frame);

}  // namespace pelnor
