// The program's one face, "ＭＳ ゴシック", and the rule that fits a font to a cell.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QPaintDevice;
class QPainter;

namespace pelnor {

inline const QString kFaceName = QStringLiteral("ＭＳ ゴシック");

// Maps "ＭＳ ゴシック" onto the Japanese faces this platform has. Call once at start-up.
void installFontSubstitutions();

// The face at a point size, as large on the device as the size says.
QFont faceAtPointSize(int pointSize, const QPaintDevice& device, bool bold = false);

// The largest font (in whole points) whose rendering of sample from the cell's top-left
// corner still ends inside the cell; size 1 when none fits. Results are remembered, so a
// repaint does not measure again.
QFont fittedFont(const QPaintDevice& device, const QRect& cell, const QString& sample, bool bold = false);

// Draws text downwards as a vertical-writing face does: Japanese characters upright,
// the others turned 90 degrees clockwise. Returns the height used.
int drawVerticalText(QPainter& painter, int x, int top, const QString& text);

}  // namespace pelnor
