#include "data/own_root.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;
namespace fs = std::filesystem;

// Where the own data root is for a program folder, from a child that runs as an ordinary
// user with the given XDG_DATA_HOME (unset when empty) and HOME.
std::string rootFor(const fs::path& program, const std::string& xdg, const fs::path& home) {
  auto result = runInChild(
      [&] {
        if (xdg.empty()) {
          ::unsetenv("XDG_DATA_HOME");
        } else {
          ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
        }
        ::setenv("HOME", home.c_str(), 1);
        const fs::path root = ownDataRoot(program);
        return root.string() + (fs::is_directory(root) ? "" : " (missing)");
      },
      ChildLimits{true, -1});
  return result.value_or("child failed");
}

TEST(OwnDataRoot, TheProgramFolderWhenWritableElseTheUsersOwn) {
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  const fs::path writable = dir / "portable";
  const fs::path shared = dir / "shared";
  const fs::path home = dir / "home";
  for (const fs::path& p : {writable, shared, home}) {
    fs::create_directory(p);
    ::chmod(p.c_str(), 0777);
  }
  ::chmod(shared.c_str(), 0555);

  EXPECT_EQ(rootFor(writable, "", home), writable.string());
  EXPECT_EQ(rootFor(shared, "", home), (home / ".local/share/Pelnor").string());
  EXPECT_EQ(rootFor(shared, (dir / "xdg").string(), home), (dir / "xdg" / "Pelnor").string());
  EXPECT_EQ(rootFor("/usr/bin", "", home), (home / ".local/share/Pelnor").string()) << "installed";

  // An installation unpacked anywhere: bin beside share/applications/pelnor.desktop.
  fs::create_directories(dir / "staged" / "bin");
  fs::create_directories(dir / "staged" / "share" / "applications");
  writeFile(dir / "staged" / "share" / "applications" / "pelnor.desktop", "");
  ::setenv("XDG_DATA_HOME", (dir / "xdg2").c_str(), 1);
  EXPECT_EQ(ownDataRoot(dir / "staged" / "bin"), dir / "xdg2" / "Pelnor");
  EXPECT_TRUE(fs::is_directory(dir / "xdg2" / "Pelnor"));
  ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace pelnor
