// Saving a month file or the device master: what the user set up around the file
// (protection, modes, owners, a folder that takes no new files) is respected, a link in its
// place is not followed, and a save that fails leaves the old file whole and names the
// file it could not save.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "data/device_registry.h"
#include "data/month_file.h"
#include "data/text.h"
#include "support/child_process.h"
#include "support/scripted_reporter.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;
namespace fs = std::filesystem;

// One kind of stored file: how it is saved and what its open failure says.
struct FileKind {
  const char* name;
  const char* fileName;
  const char* openFailure;
  const char* module;
  std::function<bool(const fs::path&, const StorageContext&)> save;
};

const FileKind kKinds[] = {
    {"month", "D202404.dmd", "ファイルがライトオープン出来ません", ".\\DAT_DATA(492)",
     [](const fs::path& path, const StorageContext& context) {
       MonthRecord month = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), context.defaults);
       addReading(month.days[0], Reading{10, 0, 30, 21});
       return writeMonthFile(path, month, false, context);
     }},
    {"master", "MCDATA.MST", "ファイルを開くことが出来ません", ".\\PelnorDoc(132)",
     [](const fs::path& path, const StorageContext& context) {
       DeviceRegistry registry(context.defaults);
       DeviceRecord device = DeviceRecord::makeNew(context.defaults);
       device.deviceId = 12;
       registry.put(device);
       return registry.saveFile(path, context);
     }},
};

const std::string kOldBytes = "the old contents";

class SavingTest : public ::testing::Test {
 protected:
  SavingTest() { fs::permissions(dir.path(), fs::perms::all); }  // reachable for the ordinary user

  fs::path folder(const FileKind& kind) {
    fs::path f = dir / kind.name;
    fs::create_directories(f);
    fs::permissions(f, fs::perms::all);
    return f;
  }
  // Saves in a child process running as an ordinary user with the given limits; the
  // result and the messages come back as text: "1" or "0", then each message.
  std::string saveAsChild(const FileKind& kind, const fs::path& path, ChildLimits limits) {
    limits.asOrdinaryUser = true;
    auto result = runInChild(
        [&] {
          ScriptedReporter r;
          StorageContext c{r, {}, OpenRetry{10, 100, 100}, true};
          std::string out = kind.save(path, c) ? "1" : "0";
          for (const std::string& text : r.texts()) out += "|" + text;
          return out;
        },
        limits);
    return result.value_or("child failed");
  }

  TempDir dir;
  ScriptedReporter reporter;
  StorageContext context{reporter, {}, OpenRetry{10, 100, 100}, false};
};

TEST_F(SavingTest, AWriteProtectedFileIsNotReplaced) {
  for (const FileKind& kind : kKinds) {
    fs::path path = folder(kind) / kind.fileName;
    writeFile(path, kOldBytes);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ScriptedReporter r;
    StorageContext c{r, {}, OpenRetry{10, 100, 100}, false};
    EXPECT_FALSE(kind.save(path, c)) << kind.name;
    EXPECT_EQ(r.texts(), std::vector<std::string>{formatText("%s\n%s", kind.openFailure, path.c_str())});
    EXPECT_EQ(readFile(path), kOldBytes) << kind.name;
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0444)) << kind.name;
  }
}

TEST_F(SavingTest, AReplacedFileKeepsItsModeOwnerAndGroup) {
  for (const FileKind& kind : kKinds) {
    fs::path path = folder(kind) / kind.fileName;
    writeFile(path, kOldBytes);
    ::chmod(path.c_str(), 0640);
    const bool mayGiveAway = ::getuid() == 0;
    if (mayGiveAway) {
      ASSERT_EQ(::chown(path.c_str(), kOrdinaryUser, kOrdinaryUser), 0);
    }
    ASSERT_TRUE(kind.save(path, context)) << kind.name;
    EXPECT_NE(readFile(path), kOldBytes);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << kind.name;
    if (mayGiveAway) {
      EXPECT_EQ(st.st_uid, kOrdinaryUser) << kind.name;
      EXPECT_EQ(st.st_gid, kOrdinaryUser) << kind.name;
    }
  }
}

// A link in the file's place may name any file, one the user saving may not even read: it
// is refused, naming it, and what it names stays as it was, or missing.
TEST_F(SavingTest, ALinkIsRefusedAndWhatItNamesStaysAsItWas) {
  for (const FileKind& kind : kKinds) {
    for (const bool targetExists : {true, false}) {
      SCOPED_TRACE(std::string(kind.name) + (targetExists ? ", to a file" : ", dangling"));
      fs::path elsewhere = dir / (std::string("elsewhere-") + kind.name + (targetExists ? "" : "-new"));
      fs::create_directories(elsewhere);
      fs::path target = elsewhere / kind.fileName;
      if (targetExists) writeFile(target, kOldBytes);
      fs::path link = folder(kind) / kind.fileName;
      fs::remove(link);
      fs::create_symlink(target, link);
      ScriptedReporter r;
      StorageContext c{r, {}, OpenRetry{10, 100, 100}, false};
      EXPECT_FALSE(kind.save(link, c));
      EXPECT_EQ(r.texts(),
                std::vector<std::string>{"リンクになっているため、開くことが出来ません\n" + link.string()});
      EXPECT_TRUE(fs::is_symlink(link));
      EXPECT_EQ(fs::read_symlink(link), target);
      if (targetExists) {
        EXPECT_EQ(readFile(target), kOldBytes);
      } else {
        EXPECT_FALSE(fs::exists(target));
      }
      EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()),
                targetExists ? 1 : 0);
      EXPECT_EQ(std::distance(fs::directory_iterator(link.parent_path()), fs::directory_iterator()), 1)
          << "no temporary file is left";
    }
  }
}

TEST_F(SavingTest, FolderFailuresNameTheFileAndKeepTheOldOne) {
  struct Case {
    const char* name;
    bool fileExists;
    bool folderTakesNewFiles;
    long fileSizeLimit;
    bool saved;
    bool accessFailure;  // false: the open failure text
  } cases[] = {
      // The user set up a folder that takes no new files: the file is rewritten in place.
      {"read-only folder, writable file", true, false, -1, true, false},
      {"read-only folder, no file yet", false, false, -1, false, false},
      // A disk that is full as the file is written.
      {"no space", true, true, 64, false, true},
  };
  for (const Case& c : cases) {
    for (const FileKind& kind : kKinds) {
      SCOPED_TRACE(std::string(c.name) + ", " + kind.name);
      fs::path f = dir / (std::string(c.name) + " " + kind.name);
      fs::create_directories(f);
      fs::path path = f / kind.fileName;
      if (c.fileExists) writeFile(path, kOldBytes);
      if (::getuid() == 0) {  // the child runs as the ordinary user: the files are its own
        if (c.fileExists) {
          ASSERT_EQ(::chown(path.c_str(), kOrdinaryUser, kOrdinaryUser), 0);
        }
        ASSERT_EQ(::chown(f.c_str(), kOrdinaryUser, kOrdinaryUser), 0);
      }
      ::chmod(f.c_str(), c.folderTakesNewFiles ? 0755 : 0555);
      struct stat before {};
      ::stat(path.c_str(), &before);

      std::string result = saveAsChild(kind, path, ChildLimits{true, c.fileSizeLimit});
      ::chmod(f.c_str(), 0755);
      if (c.saved) {
        EXPECT_EQ(result, "1");
        EXPECT_NE(readFile(path), kOldBytes);
        struct stat after {};
        ::stat(path.c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino) << "rewritten in place";
        continue;
      }
      if (c.accessFailure) {
        EXPECT_EQ(result,
                  formatText("0|ﾌｧｲﾙｱｸｾｽ異常\n%s\n%s\n%s", std::strerror(EFBIG), path.c_str(), kind.module));
      } else {
        EXPECT_EQ(result, formatText("0|%s\n%s", kind.openFailure, path.c_str()));
      }
      if (c.fileExists) {
        EXPECT_EQ(readFile(path), kOldBytes);
      }
      EXPECT_EQ(std::distance(fs::directory_iterator(f), fs::directory_iterator()), c.fileExists ? 1 : 0)
          << "no temporary file is left";
    }
  }
}

}  // namespace
}  // namespace pelnor
