#include "data/text.h"

#include <gtest/gtest.h>

namespace pelnor {
namespace {

TEST(Text, Cp932RoundTripKeepsBytes) {
  const std::string cp932 = "\x8B\x40\x8A\xED ID \xB1\xB0\xB6\xB2\xCC\xDE";  // 機器 ID ｱｰｶｲﾌﾞ
  std::string utf8 = cp932ToUtf8(cp932);
  EXPECT_EQ(utf8, "機器 ID ｱｰｶｲﾌﾞ");
  EXPECT_EQ(utf8ToCp932(utf8), cp932);
}

TEST(Text, BytesThatAreNotCp932SurviveTheRoundTrip) {
  for (std::string bytes :
       {std::string("A\x81"), std::string("\x80\xA0\xFD\xFE\xFF"), std::string("\x82\x20x")}) {
    std::string utf8 = cp932ToUtf8(bytes);
    EXPECT_EQ(utf8ToCp932(utf8), bytes);
  }
  EXPECT_EQ(utf8ToCp932("a😀b"), "a?b");  // a character cp932 cannot hold
}

TEST(Text, CutNeverSplitsADoubleByteCharacter) {
  const std::string text = "ab\x82\xA0\x82\xA2";  // ab + two double-byte characters
  EXPECT_EQ(cutCp932(text, 3), "ab");
  EXPECT_EQ(cutCp932(text, 4), "ab\x82\xA0");
  EXPECT_EQ(cutCp932(text, 100), text);
}

TEST(Text, FormatAndIntegerPrefix) {
  EXPECT_EQ(formatText("%05d|%.0lf|%7.0f", 12, 2.5, 123.4), "00012|2|    123");
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {{"  42abc", 42},
               {"-7", -7},
               {"abc", 0},
               {"", 0},
               {"99999999999", 2147483647},
               {"-99999999999", -2147483647 - 1}};
  for (const Case& c : cases) EXPECT_EQ(parseIntPrefix(c.text), c.value) << c.text;
}

TEST(Text, Utf8CharacterPositions) {
  EXPECT_EQ(utf8Length("2024年 1月"), 8u);
  EXPECT_EQ(utf8Substr("2024年 1月 5日", 5, 2), " 1");
}

}  // namespace
}  // namespace pelnor
