// Any bytes as a device master file: a clean error or a registry, never a crash.
#include <cstddef>
#include <cstdint>

#include "data/device_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pelnor::ArchiveReader in(std::string_view(reinterpret_cast<const char*>(data), size));
  pelnor::DeviceRegistry registry;
  try {
    registry.read(in);
    std::string written = registry.serialize();
    pelnor::ArchiveReader again(written);
    pelnor::DeviceRegistry copy;
    copy.read(again);
  } catch (const pelnor::ArchiveError&) {
  }
  return 0;
}
