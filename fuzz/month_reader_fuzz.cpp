// Any bytes as a month file: a clean error or a month, never a crash.
#include <cstddef>
#include <cstdint>

#include "data/archive.h"
#include "data/file_errors.h"
#include "data/month_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  pelnor::MonthRecord month = pelnor::MonthRecord::makeNew(pelnor::DateTime(), {});
  try {
    pelnor::parseMonth(bytes, month, {}, "fuzz.dmd");
    std::string written = pelnor::serializeMonth(month);
    pelnor::MonthRecord again = pelnor::MonthRecord::makeNew(pelnor::DateTime(), {});
    pelnor::parseMonth(written, again, {}, "fuzz.dmd");
  } catch (const pelnor::CTryErr&) {
  } catch (const pelnor::ArchiveError&) {
  }
  return 0;
}
