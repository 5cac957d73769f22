#include "ui/color_palette.h"

namespace pelnor {

ColorPalette::ColorPalette()
    : colors_{0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
              0xC0C0C0, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF,
              0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF},
      ranks_{1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 20, 18, 16, 14, 12, 10, 8, 6, 4, 2} {}

uint32_t ColorPalette::choose(int cell) {
  const int chosenRank = ranks_[static_cast<std::size_t>(cell)];
  for (int& r : ranks_) {
    if (r < chosenRank) ++r;
  }
  ranks_[static_cast<std::size_t>(cell)] = 1;
  return colors_[static_cast<std::size_t>(cell)];
}

int ColorPalette::chooseOther(uint32_t color) {
  int cell = -1;
  for (int i = 0; i < kCells; ++i) {
    if (colors_[static_cast<std::size_t>(i)] == color) cell = i;
  }
  if (cell < 0) {
    for (int i = 0; i < kCells; ++i) {
      if (ranks_[static_cast<std::size_t>(i)] == kCells) cell = i;
    }
    colors_[static_cast<std::size_t>(cell)] = color;
  }
  choose(cell);
  return cell;
}

ColorPalette& programPalette() {
  static ColorPalette palette;
  return palette;
}

}  // namespace pelnor
