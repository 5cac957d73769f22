// The state of the Caps, Num and Scroll Lock keys, where the platform tells it: the X
// server's keyboard indicators, or Windows' key state. Elsewhere (the offscreen platform,
// Wayland) nothing is known and the status bar shows its panes greyed.
#pragma once

#include <optional>

namespace pelnor {

struct LockKeys {
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

std::optional<LockKeys> readLockKeys();

}  // namespace pelnor
