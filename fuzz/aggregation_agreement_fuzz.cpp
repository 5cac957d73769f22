// Any bytes as a month of readings: the aggregation gives, bit for bit, what the plain
// two-pass aggregation of tests/support gives.
//   bytes 0-3: pulse constant, 4-7: multiplier of every day (both int32, this machine's order)
//   then 15 bytes a reading: day (modulo 31), hour and minute (int8), pulses (int32),
//   temperature (double)
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/aggregation_reference.h"

namespace {

template <typename T>
T take(const uint8_t*& data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  data += sizeof value;
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kHeaderBytes = 8;
  constexpr size_t kReadingBytes = 15;
  if (size < kHeaderBytes) return 0;
  const uint8_t* end = data + size;
  const auto pulseConstant = take<int32_t>(data);
  const auto multiplier = take<int32_t>(data);

  pelnor::MonthRecord month;
  for (pelnor::DayRecord& day : month.days) day.header.multiplier = multiplier;
  while (static_cast<size_t>(end - data) >= kReadingBytes) {
    const auto day = take<uint8_t>(data) % pelnor::kDaysPerMonth;
    pelnor::Reading reading;
    reading.hour = take<int8_t>(data);
    reading.minute = take<int8_t>(data);
    reading.pulseCount = take<int32_t>(data);
    reading.temperature = take<double>(data);
    month.days[day].readings.push_back(reading);
  }

  const std::string difference = pelnor::test::aggregateBothWays(month, pulseConstant);
  if (!difference.empty()) {
    std::fprintf(stderr, "differs from the reference: %s\n", difference.c_str());
    std::abort();
  }
  return 0;
}
