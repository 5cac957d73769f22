// The operating system's side on Windows: what the registry and the loader tell.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/app_settings.h"
#include "data/system.h"

namespace pelnor {
namespace {

TEST(WindowsSystem, TheInstallationIdAndTheProgramFolder) {
  // Every Windows installation (and every Wine prefix) has a ProductId.
  const std::string id = readInstallationId();
  EXPECT_FALSE(id.empty());
  EXPECT_EQ(readInstallationId(), id);
  EXPECT_TRUE(std::filesystem::exists(executableFolder() / "pelnor_core_tests.exe"));
  EXPECT_FALSE(homeFolder().empty());
}

}  // namespace
}  // namespace pelnor
