// Any bytes as a received line: a classification, never a crash or undefined behaviour.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "comm/reception_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pelnor::ParsedLine p =
      pelnor::parseReceptionLine(std::string_view(reinterpret_cast<const char*>(data), size));
  if (p.code == pelnor::kDataLine && (!p.when.isValid() || !std::isfinite(p.temperature))) std::abort();
  return 0;
}
