#include "data/save_leftovers.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;
namespace fs = std::filesystem;

struct Name {
  const char* name;
  bool leftover;
  bool removed;  // by removeSaveLeftovers
};

const Name kNames[] = {
    {"D202001.dmd.Xy9aB0", true, true},      // POSIX temporary of a month file
    {"MCDATA.MST.000000", true, true},       // ... and of the device master
    {"D202001.dmd.1234-0.tmp", true, true},  // Windows temporary
    {"MCDATA.MST.4294967295-99.tmp", true, true},
    {"DEVICE.LCK", true, false},  // lock files: never copied, never removed here
    {"MCDATA.LCK", true, false},
    {"D202001.dmd", false, false},  // the data itself
    {"MCDATA.MST", false, false},
    {"D202001.dmd.damaged", false, false},  // kept aside on purpose
    {"D202001.dmd.Xy9aB", false, false},    // five letters
    {"D202001.dmd.Xy-aB0", false, false},
    {"D202001.dmd.12a4-0.tmp", false, false},
    {"D202001.dmd.-0.tmp", false, false},
    {"notes.backup", false, false},  // a user's own file
    {"Report.CSV.ABCDEF", false, false},
    {"device.lck", false, false},
};

TEST(SaveLeftovers, TellsSaveTemporariesAndLocksFromData) {
  for (const Name& n : kNames) {
    EXPECT_EQ(isSaveLeftover(n.name), n.leftover) << n.name;
    EXPECT_EQ(isSaveLeftover(fs::path("DATA") / "00012" / n.name), n.leftover) << n.name;
  }
}

TEST(SaveLeftovers, RemovesOnlyTheTemporariesOfTheFolder) {
  TempDir dir;
  fs::create_directory(dir / "sub");
  writeFile(dir / "sub" / "D202001.dmd.Xy9aB0", "below: stays");
  for (const Name& n : kNames) writeFile(dir / n.name, "x");
  removeSaveLeftovers(dir.path());
  for (const Name& n : kNames) EXPECT_EQ(fs::exists(dir / n.name), !n.removed) << n.name;
  EXPECT_TRUE(fs::exists(dir / "sub" / "D202001.dmd.Xy9aB0"));
}

}  // namespace
}  // namespace pelnor
