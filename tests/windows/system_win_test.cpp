// The operating system's side on Windows: what the registry and the loader tell.
#include <gtest/gtest.h>

#include <cwctype>
#include <filesystem>

#include "data/app_settings.h"
#include "data/own_root.h"
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

// An installed program (under Program Files) keeps each user's data in %LOCALAPPDATA%\Pelnor;
// a portable copy anywhere else that can be written keeps its data beside itself.
TEST(WindowsSystem, TheOwnDataRootOfAnInstalledAndOfAPortableProgram) {
  const wchar_t* programFiles = ::_wgetenv(L"ProgramFiles");
  ASSERT_NE(programFiles, nullptr);
  const std::filesystem::path installed = std::filesystem::path(programFiles) / "Pelnor";
  EXPECT_TRUE(isInstalledProgramFolder(installed));
  std::wstring shouted = installed.wstring();
  for (wchar_t& c : shouted) c = static_cast<wchar_t>(::towupper(c));
  EXPECT_TRUE(isInstalledProgramFolder(shouted)) << "Windows names are compared without case";
  EXPECT_FALSE(isInstalledProgramFolder(std::filesystem::path(programFiles).parent_path() / "Pelnor"));

  const std::filesystem::path portable = std::filesystem::temp_directory_path() / L"需要データ-portable";
  std::filesystem::create_directories(portable);
  EXPECT_EQ(ownDataRoot(portable), portable);
  EXPECT_EQ(findOwnDataRoot(installed), std::filesystem::path(::_wgetenv(L"LOCALAPPDATA")) / "Pelnor");
  std::filesystem::remove(portable);
}

}  // namespace
}  // namespace pelnor
