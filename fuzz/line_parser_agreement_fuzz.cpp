// Any bytes as a received line: wherever the fixed-place reader of the common data line
// gives a result, the general parser gives the same one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "comm/reception_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  pelnor::ParsedLine taken;
  if (!pelnor::parsePlainDataLine(line, taken)) return 0;
  const pelnor::ParsedLine* plain = &taken;
  const pelnor::ParsedLine any = pelnor::parseAnyReceptionLine(line);
  if (plain->code != any.code) std::abort();
  if (plain->code != pelnor::kDataLine) return 0;
  // Bit for bit, so that even the sign of a zero temperature must agree.
  if (!(plain->when == any.when) || plain->pulseCount != any.pulseCount ||
      std::memcmp(&plain->temperature, &any.temperature, sizeof(double)) != 0) {
    std::abort();
  }
  return 0;
}
