// A double as an integer, cut toward zero and held within the integer's range. Values read
// from files can be anything (1e308, infinity, NaN); converting one that does not fit is
// undefined behaviour.
#pragma once

#include <cmath>
#include <limits>

namespace pelnor {

// NaN becomes 0; values past either end become that end.
template <typename Integer>
Integer clampToInteger(double value) {
  static_assert(std::numeric_limits<Integer>::is_signed);
  // The lowest value is a power of two and exact as a double; the highest is one less than
  // its negation, which may not be.
  constexpr double kLowest = static_cast<double>(std::numeric_limits<Integer>::min());
  if (std::isnan(value)) return 0;
  if (value <= kLowest) return std::numeric_limits<Integer>::min();
  if (value >= -kLowest) return std::numeric_limits<Integer>::max();
  return static_cast<Integer>(value);
}

}  // namespace pelnor
