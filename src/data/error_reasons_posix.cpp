#include "data/error_reasons.h"

namespace pelnor {

// The system's codes are errno values here.
std::string systemErrorReason(uint32_t code) { return errnoReason(static_cast<int>(code)); }

}  // namespace pelnor
