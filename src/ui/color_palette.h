// The 20 colours of the colour popup with the order they were last chosen in.
#pragma once

#include <array>
#include <cstdint>

namespace pelnor {

class ColorPalette {
 public:
  static constexpr int kCells = 20;

  ColorPalette();

  uint32_t color(int cell) const { return colors_[static_cast<std::size_t>(cell)]; }  // 0x00BBGGRR
  int rank(int cell) const { return ranks_[static_cast<std::size_t>(cell)]; }         // 1 = most recent

  // Cell (0-based) chosen: it becomes the most recent, those more recent than it move back.
  uint32_t choose(int cell);
  // A colour from the full chooser: its cell when the palette has it, else it replaces the
  // least recently chosen colour. Returns the cell taken.
  int chooseOther(uint32_t color);

 private:
  std::array<uint32_t, kCells> colors_;
  std::array<int, kCells> ranks_;
};

// The one palette of the program, kept for the whole run.
ColorPalette& programPalette();

}  // namespace pelnor
