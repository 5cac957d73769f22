// Any bytes as a settings file: reading every key and writing some back never crashes,
// and a written value never adds a line.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "data/app_settings.h"
#include "data/data_location.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "pelnor-fuzz-XXXXXX").string();
    return std::filesystem::path(::mkdtemp(pattern.data()));
  }();
  {
    std::ofstream out(dir / "Pelnor.INI", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  pelnor::CAppSettings settings;
  settings.Open(dir, "Pelnor");
  pelnor::DataLocation location(dir);
  settings.Load("fuzz", location);
  settings.Save("fuzz", location);
  settings.serialDevicePath(3);
  return 0;
}
