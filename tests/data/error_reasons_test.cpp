// The Japanese reasons shown before the system's own error texts.
#include "data/error_reasons.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "data/data_location.h"
#include "data/text.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;

TEST(ErrorReasonsTest, CommonErrorsHaveAJapaneseReasonBeforeTheSystemText) {
  const struct {
    int error;
    const char* reason;  // empty: the system text alone
  } cases[] = {
      {ENOSPC, "ディスクの空き容量が足りません"},
      {EACCES, "アクセスする権限がありません"},
      {EPERM, "アクセスする権限がありません"},
      {EROFS, "書き込みできない（読み取り専用の）場所です"},
      {ENOENT, "ファイルまたはフォルダが見つかりません"},
      {EBUSY, "他のプログラムが使用中です"},
      {ENODEV, "装置が見つかりません（接続を確かめてください）"},
      {ENXIO, "装置が見つかりません（接続を確かめてください）"},
      {EFBIG, ""},
      {EINVAL, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(errnoReason(c.error), c.reason) << c.error;
    EXPECT_EQ(systemErrorReason(static_cast<uint32_t>(c.error)), c.reason) << c.error;
    const std::string system = std::strerror(c.error);
    const std::string text = errorCodeText(std::make_error_code(static_cast<std::errc>(c.error)));
    EXPECT_EQ(text, *c.reason ? std::string(c.reason) + "（" + system + "）" : system) << c.error;
  }
}

TEST(ErrorReasonsTest, AFolderThatCannotBeMadeIsSaidWithItsPath) {
  TempDir dir;
  writeFile(dir / "file", "x");
  EXPECT_EQ(DataLocation::folderCreationProblem(dir / "made" / "deep"), std::nullopt);
  EXPECT_EQ(DataLocation::folderCreationProblem(dir / "made"), std::nullopt) << "one that exists";
  const std::filesystem::path blocked = dir / "file" / "sub";
  const std::optional<std::string> problem = DataLocation::folderCreationProblem(blocked);
  ASSERT_TRUE(problem.has_value());
  EXPECT_EQ(problem->rfind("フォルダを作成できませんでした\n" + pathText(blocked) + "\n", 0), 0u) << *problem;
}

}  // namespace
}  // namespace pelnor
