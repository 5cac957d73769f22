#include "data/archive.h"

#include <gtest/gtest.h>

#include "data/file_errors.h"
#include "support/bytes.h"

namespace pelnor {
namespace {

using test::Bytes;

TEST(Archive, NumbersAndDateTimeAreLittleEndianWithStatusFirst) {
  ArchiveWriter out;
  out.writeInt32(-2);
  out.writeFloat64(1.5);
  out.writeDateTime(DateTime(0, 45383.5));
  std::string expected = Bytes().i32(-2).f64(1.5).i32(0).f64(45383.5);
  EXPECT_EQ(out.bytes(), expected);
  EXPECT_EQ(out.bytes().substr(0, 4), std::string("\xFE\xFF\xFF\xFF", 4));

  ArchiveReader in(out.bytes());
  EXPECT_EQ(in.readInt32(), -2);
  EXPECT_EQ(in.readFloat64(), 1.5);
  DateTime dt = in.readDateTime();
  EXPECT_EQ(dt.status(), 0);
  EXPECT_EQ(dt.value(), 45383.5);
  EXPECT_EQ(in.remaining(), 0u);
}

TEST(Archive, StringPrefixesAsWritten) {
  struct Case {
    std::size_t length;
    std::string prefix;
  } cases[] = {
      {0, Bytes().u8(0)},
      {254, Bytes().u8(0xFE)},
      {255, Bytes().u8(0xFF).u16(255)},
      {65533, Bytes().u8(0xFF).u16(0xFFFD)},
      {65534, Bytes().u8(0xFF).u16(0xFFFF).u32(65534)},
      {70000, Bytes().u8(0xFF).u16(0xFFFF).u32(70000)},
  };
  for (const Case& c : cases) {
    std::string text(c.length, 'x');
    ArchiveWriter out;
    out.writeString(text);
    EXPECT_EQ(out.bytes(), c.prefix + text) << c.length;
    ArchiveReader in(out.bytes());
    EXPECT_EQ(in.readString(), text) << c.length;
    EXPECT_EQ(in.remaining(), 0u);
  }
}

TEST(Archive, StringsAreCp932OnFile) {
  ArchiveWriter out;
  out.writeString("山田様");  // three double-byte characters
  EXPECT_EQ(out.bytes(), std::string("\x06\x8E\x52\x93\x63\x97\x6C"));

  ArchiveWriter signature;
  signature.writeString("49406515574540654105456475894510154020030901");
  EXPECT_EQ(signature.bytes(),
            "\x2C"
            "49406515574540654105456475894510154020030901");
}

TEST(Archive, StringPrefixesAsRead) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string text;
  } cases[] = {
      {"16-bit, short prefix", Bytes().u8(0xFF).u16(0xFFFE).u8(2).raw(std::string("\x71\x5C\x30\x00", 4)),
       "山0"},
      {"16-bit, word prefix", Bytes().u8(0xFF).u16(0xFFFE).u8(0xFF).u16(1).raw(std::string("A\0", 2)), "A"},
      {"32-bit prefix", Bytes().u8(0xFF).u16(0xFFFF).u32(3).raw("abc"), "abc"},
      {"64-bit prefix", Bytes().u8(0xFF).u16(0xFFFF).u32(0xFFFFFFFF).u32(2).u32(0).raw("ab"), "ab"},
  };
  for (const Case& c : cases) {
    ArchiveReader in(c.bytes);
    EXPECT_EQ(in.readString(), c.text) << c.name;
    EXPECT_EQ(in.remaining(), 0u) << c.name;
  }
}

TEST(Archive, DamagedStreamsAreArchiveErrorsNotAllocations) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"4 GiB string prefix", Bytes().u8(0xFF).u16(0xFFFF).u32(0xFFFFFFFE).raw("abc")},
      {"64-bit length with high half", Bytes().u8(0xFF).u16(0xFFFF).u32(0xFFFFFFFF).u32(1).u32(1)},
      {"64-bit length negative as int32",
       Bytes().u8(0xFF).u16(0xFFFF).u32(0xFFFFFFFF).u32(0x80000000).u32(0)},
      {"short text", Bytes().u8(5).raw("abc")},
      {"unpaired UTF-16 surrogate", Bytes().u8(0xFF).u16(0xFFFE).u8(1).raw(std::string("\x00\xD8", 2))},
      {"cut in the prefix", Bytes().u8(0xFF).u8(0xFF)},
      {"empty", std::string()},
  };
  for (const Case& c : cases) {
    ArchiveReader in(c.bytes);
    EXPECT_THROW(in.readString(), ArchiveError) << c.name;
  }
}

TEST(Archive, Counts) {
  struct Case {
    uint32_t count;
    std::string bytes;
  } cases[] = {{0, Bytes().u16(0)}, {65534, Bytes().u16(0xFFFE)}, {65535, Bytes().u16(0xFFFF).u32(65535)}};
  for (const Case& c : cases) {
    ArchiveWriter out;
    out.writeCount(c.count);
    EXPECT_EQ(out.bytes(), c.bytes) << c.count;
    ArchiveReader in(out.bytes());
    EXPECT_EQ(in.readCount(), c.count);
  }
  // A count that promises more elements than the file still holds allows no more room
  // than the rest of the file can fill.
  std::string huge = Bytes().u16(0xFFFF).u32(0xFFFFFFF0).raw(std::string(100, '\0'));
  ArchiveReader in(huge);
  EXPECT_EQ(in.readCount(), 0xFFFFFFF0u);
  EXPECT_EQ(in.reserveFor(0xFFFFFFF0u, 20), 5u);
  EXPECT_EQ(in.reserveFor(3, 20), 3u);
}

TEST(Archive, ReadingPastTheEndThrows) {
  std::string three("\x01\x02\x03", 3);
  ArchiveReader in(three);
  EXPECT_THROW(in.readInt32(), ArchiveError);
}

}  // namespace
}  // namespace pelnor
