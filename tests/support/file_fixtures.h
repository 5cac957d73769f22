// Small stored files built byte by byte, in each file version.
#pragma once

#include <string>
#include <vector>

#include "support/bytes.h"

namespace pelnor::test {

// The default report entry as a file holds it.
inline Bytes& defaultReport(Bytes& b) {
  b.i32(0).i32(99).i32(99).i32(99).str("").str("").str("").str("");
  return b.f64(0).f64(0).f64(0).f64(0).i32(99).str("");
}

// A device record: id, cp932 name, multiplier 120, 6600 V, 110 V, 10 A, 5 A, 50000.
inline Bytes& deviceBytes(Bytes& b, int version, int32_t id, const std::string& name) {
  b.i32(id).str(name).i32(120).i32(6600).i32(110).i32(10).i32(5).i32(50000);
  if (version >= 3) defaultReport(b);
  return b;
}

struct FixtureReading {
  int32_t hour, minute, pulses;
  double temperature;
};

// A month file of device 12, April 2024, with readings on day 1 and day 2 and
// `dayCount` days in all.
inline std::string monthFileBytes(int version, int dayCount = 31,
                                  const std::vector<FixtureReading>& day1 = {{10, 0, 30, 21},
                                                                             {10, 30, 12, 19}},
                                  const std::vector<FixtureReading>& day2 = {{0, 0, 5, -3}}) {
  Bytes b;
  b.str("49406515574540654105456475894510154020030901").i32(version).i32(0).f64(45383.0);
  if (version >= 3) defaultReport(b);
  b.u16(static_cast<uint16_t>(dayCount));
  for (int d = 0; d < dayCount; ++d) {
    if (version >= 2) deviceBytes(b, version, 12, "\x8E\x52\x93\x63");  // 山田
    const std::vector<FixtureReading>* readings = d == 0 ? &day1 : d == 1 ? &day2 : nullptr;
    b.u16(readings ? static_cast<uint16_t>(readings->size()) : 0);
    if (readings) {
      for (const FixtureReading& r : *readings) b.i32(r.hour).i32(r.minute).i32(r.pulses).f64(r.temperature);
    }
  }
  return b;
}

// A master file with comm settings 3, 9600, 7, 2, 1, 0 and devices 5 and 12 (in that
// file order: 12 first).
inline std::string masterFileBytes(int version) {
  Bytes b;
  b.i32(version).i32(3).i32(9600).i32(7).i32(2).i32(1).i32(0);
  if (version >= 3) defaultReport(b);
  b.u16(2);
  deviceBytes(b, version, 12, "\x8E\x52\x93\x63");
  deviceBytes(b, version, 5, "ABC");
  return b;
}

}  // namespace pelnor::test
