#include <windows.h>

#include "ui/lock_keys.h"

namespace pelnor {

std::optional<LockKeys> readLockKeys() {
  // The low bit of a toggle key's state is its lock.
  auto locked = [](int key) { return (GetKeyState(key) & 1) != 0; };
  return LockKeys{locked(VK_CAPITAL), locked(VK_NUMLOCK), locked(VK_SCROLL)};
}

}  // namespace pelnor
