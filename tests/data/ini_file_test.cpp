#include "data/ini_file.h"

#include <gtest/gtest.h>

#include "data/text.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ini.Open(dir.path(), "Pelnor"); }
  TempDir dir;
  CIniFile ini;
};

TEST_F(IniFileTest, ReadsLikeThePlatformProfileFunctions) {
  writeFile(ini.Path(),
            "garbage line\r\n"
            "[Setting]\r\n"
            "no equals sign\r\n"
            "  Key = first value  \r\n"
            "key=second\r\n"
            "Quoted=\"a b\"\r\n"
            "Number=  42abc\r\n"
            "Text=abc\r\n"
            "\x90\xDD\x94\xF5\x97\x65\x97\xCA(kW)=120\r\n"  // 設備容量(kW) in cp932
            "[setting]\r\n"
            "Other=in the second section of that name\r\n");
  EXPECT_EQ(ini.GetString("SETTING", "key", "-"), "first value");
  EXPECT_EQ(ini.GetString("Setting", "Quoted", "-"), "a b");
  EXPECT_EQ(ini.GetInt("Setting", "Number", 0), 42);
  EXPECT_EQ(ini.GetInt("Setting", "Text", 7), 0);
  EXPECT_EQ(ini.GetInt("Setting", "Missing", 7), 7);
  EXPECT_EQ(ini.GetInt("Setting", "設備容量(kW)", 60), 120);
  EXPECT_EQ(ini.GetString("Setting", "no equals sign", "-"), "-");
  EXPECT_EQ(ini.GetString("Setting", "Other", "-"), "-");
  EXPECT_EQ(ini.GetString("Missing", "key", "def"), "def");
}

TEST_F(IniFileTest, WritesKeepEveryOtherLine) {
  writeFile(ini.Path(), "; comment\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  ini.WriteString("a", "X", "10");
  ini.WriteInt("A", "z", -3);
  ini.WriteUInt("C", "c", 4294967295u);
  ini.DeleteKey("B", "y");
  EXPECT_EQ(readFile(ini.Path()), "; comment\r\n[A]\r\nX=10\r\nz=-3\r\n\r\n[B]\r\n[C]\r\nc=4294967295\r\n");
}

TEST_F(IniFileTest, LineBreaksNeverCreateKeysOrSections) {
  ini.WriteString("Setting", "DatCopyDir", "/home/x\n[Maintenance]\r\nNoneRS=1");
  ini.WriteString("Set\nting", "Ke\ry", "v");
  EXPECT_EQ(ini.GetInt("Maintenance", "NoneRS", 0), 0);
  EXPECT_EQ(ini.GetString("Setting", "DatCopyDir", ""), "/home/x[Maintenance]NoneRS=1");
  EXPECT_EQ(readFile(ini.Path()), "[Setting]\r\nDatCopyDir=/home/x[Maintenance]NoneRS=1\r\nKey=v\r\n");
}

TEST_F(IniFileTest, WriteBackAndFailures) {
  EXPECT_EQ(ini.GetInt("S", "n", 5, {}, true), 5);
  EXPECT_EQ(ini.GetString("S", "t", "日本語", {}, true), "日本語");
  EXPECT_EQ(readFile(ini.Path()), "[S]\r\nn=5\r\nt=\x93\xFA\x96\x7B\x8C\xEA\r\n");

  // A file that cannot be written is left alone without a complaint.
  std::filesystem::path nowhere = dir / "missing" / "x.ini";
  ini.WriteString("S", "k", "v", nowhere);
  EXPECT_FALSE(std::filesystem::exists(nowhere));

  CIniFile readOnly;
  readOnly.Open(dir.path(), "Other");
  readOnly.setReadOnly(true);
  EXPECT_EQ(readOnly.GetInt("S", "n", 5, {}, true), 5);
  EXPECT_FALSE(std::filesystem::exists(readOnly.Path()));
}

TEST_F(IniFileTest, LongValuesAreCutAtTheBufferInBytesNeverInsideACharacter) {
  ini.WriteString("S", "long", std::string(6000, 'x'));
  EXPECT_EQ(ini.GetString("S", "long", "").size(), CIniFile::kMaxValueBytes);
  // 2,600 two-byte characters are 5,200 bytes: 2,499 whole characters fit in 4,999 bytes.
  std::string wide;
  for (int i = 0; i < 2600; ++i) wide += "あ";
  ini.WriteString("S", "wide", wide);
  std::string read = ini.GetString("S", "wide", "");
  EXPECT_EQ(utf8ToCp932(read).size(), 4998u);
  EXPECT_EQ(utf8Length(read), 2499u);
  // One single-byte character first: the last two-byte one ends exactly at 4,999.
  ini.WriteString("S", "odd", "x" + wide);
  EXPECT_EQ(utf8ToCp932(ini.GetString("S", "odd", "")).size(), 4999u);
}

}  // namespace
}  // namespace pelnor
