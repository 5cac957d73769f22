#include "ui/lock_keys.h"

namespace pelnor {

std::optional<LockKeys> readLockKeys() { return std::nullopt; }

}  // namespace pelnor
