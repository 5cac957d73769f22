// Lengths of the layouts: pixels on screen, design units of a 2893 x 3970 page when
// printing, turned into device units with the page scale.
#pragma once

#include <cmath>

namespace pelnor {

struct DrawMetrics {
  bool printing = false;
  double scaleX = 1.0;  // device units per design unit, printing only
  double scaleY = 1.0;
  bool debugMode = false;  // no clipping, and the debug text while nothing is shown

  // The length on screen, or the printed length in design units turned into device units.
  int x(int screen, int print) const { return printing ? roundHalfUp(print * scaleX) : screen; }
  int y(int screen, int print) const { return printing ? roundHalfUp(print * scaleY) : screen; }

  static int roundHalfUp(double value) { return static_cast<int>(std::floor(value + 0.5)); }
};

}  // namespace pelnor
