#include "comm/reception_parser.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pelnor {
namespace {

TEST(ReceptionParser, ClassifiesLines) {
  struct Case {
    const char* line;
    int code;
  } cases[] = {
      {"12345\r\n", kIdLine},
      {"  100  ", kIdLine},
      {"12a45\r\n", kFormatError},
      {"24/05/01 10:30,0123,25\r\n", kDataLine},
      {"24/05/01 10:30,0123", kFormatError},
      {"24/05/01,0123,25", kFormatError},
      {"24/05/01 10:,0123,25", kFormatError},
      {"24/13/01 10:30,0123,25", kUnrecognisedDate},
      {"24/05/01 24:00,0123,25", kUnrecognisedDate},
      {"24/05/01 10:60,0,25", kUnrecognisedDate},
      {"24/02/30 10:00,0001,20", kUnrecognisedDate},  // in range, not in the calendar
      {"99999999999/05/01 10:00,1,20", kUnrecognisedDate},
      {"00/00/00 00:00,0000, 00", kEndLine},
      {"xx00/00/00yy,1", kEndLine},
      {"\r\n", kEmptyLine},
      {"   \t ", kEmptyLine},
      {"\"24/05/01 10:30,1,2", kFormatError},  // unbalanced quote
      {"\"24/05/01 10:30\",\"7\",\"8\"", kDataLine},
      {"24/05/01 10:30,99999999999,25", kFormatError},  // pulse count does not fit
      {"24/05/01 10:30,1,1e300", kFormatError},
      {"24/05/01 10:30,,25", kDataLine},  // present but empty: reads as 0
      // Lines run together: the line end before the last one is inside the line.
      {"24/05/01 10:30,0123,25\r\r\n24/05/01 11:00,0124,26\r\n", kFormatError},
      {"24/05/01 10:30,0123,25\n24/05/01 11:00,0124,26", kFormatError},
      {"24/05/01 10:30,0123,25\r24/05/01 11:00,0124,26", kFormatError},
      {"100\r\r\n24/05/01 11:00,0124,26\r\n", kFormatError},  // else year 2100
      {"24/13/01 10:30,0123,25\r\r\n24/05/01 11:00,0124,26\r\n", kFormatError},
      {"\r\n24/05/01 10:30,0123,25 \r\n", kDataLine},  // line ends around it lose nothing
  };
  for (const Case& c : cases) EXPECT_EQ(parseReceptionLine(c.line).code, c.code) << "line: " << c.line;
}

TEST(ReceptionParser, Values) {
  ParsedLine data = parseReceptionLine("24/05/01 10:30,0123,25\r\n");
  EXPECT_EQ(data.when, DateTime::fromFields(2024, 5, 1, 10, 30));
  EXPECT_EQ(data.pulseCount, 123);
  EXPECT_EQ(data.temperature, 25);

  struct Temperature {
    const char* field;
    double value;
  } temperatures[] = {{"25.9", 25}, {"-3.7", -3}, {" 00", 0}, {"abc", 0}, {"-0.5", 0}, {"12x", 12}};
  for (const Temperature& t : temperatures) {
    ParsedLine p = parseReceptionLine(std::string("24/05/01 10:30,1,") + t.field);
    EXPECT_EQ(p.code, kDataLine) << t.field;
    EXPECT_EQ(p.temperature, t.value) << t.field;
  }
  EXPECT_EQ(parseReceptionLine("24/05/01 10:30, 12abc ,1").pulseCount, 12);
  EXPECT_EQ(parseReceptionLine(" 2024/5/1 1:5 , 1 , 1").code, kUnrecognisedDate);  // year 4024
  EXPECT_EQ(parseReceptionLine("1/5/1 1:5,1,1").when, DateTime::fromFields(2001, 5, 1, 1, 5));

  EXPECT_EQ(parseReceptionLine("00100").deviceId, 100);
  ParsedLine huge = parseReceptionLine("99999999999");
  EXPECT_EQ(huge.code, kIdLine);
  EXPECT_EQ(huge.deviceId, -1);  // no such device can be registered
}

// The fixed-place reader takes the common shape only, and gives what the general parser
// gives; everything else is left to the general parser.
TEST(ReceptionParser, ThePlainDataLineReaderAgreesWithTheGeneralParser) {
  struct Case {
    const char* line;
    bool plain;  // taken by the fixed-place reader
  } cases[] = {
      {"24/05/01 10:30,0123,25\r\n", true},
      {"24/05/01 10:30,0123,-3\r\n", true},
      {"24/05/01 10:30,0123,-0\r\n", true},
      {"24/05/01 10:30,0123, 00\r\n", true},
      {"24/05/01 10:30,999999999,25 \t\n", true},
      {"24/02/29 23:30,0,7", true},
      {"23/02/29 23:30,0,7", true},  // not in the calendar
      {"24/13/01 10:30,0123,25\r\n", true},
      {"24/05/01 24:00,0123,25\r\n", true},
      {"00/00/00 00:00,0000, 00\r\n", false},  // the end line
      {"24/05/01 10:30,1234567890,25\r\n", false},
      {"24/05/01 10:30,0123,25.5\r\n", false},
      {"24/05/01 10:30,0123,+5\r\n", false},
      {"24/05/01 10:30, 0123,25\r\n", false},
      {"24/05/01 10:30,0123,25,9\r\n", false},
      {"24/05/01 10:30,0123,25\r\r\n24/05/01 11:00,0124,26\r\n", false},
      {"24/05/01 10:30,0123,25\r", false},
      {" 24/05/01 10:30,0123,25", false},
      {"24/5/01 10:30,0123,25", false},
  };
  for (const Case& c : cases) {
    ParsedLine taken;
    const bool isPlain = parsePlainDataLine(c.line, taken);
    ASSERT_EQ(isPlain, c.plain) << "line: " << c.line;
    const ParsedLine* plain = isPlain ? &taken : nullptr;
    const ParsedLine any = parseAnyReceptionLine(c.line);
    const ParsedLine parsed = parseReceptionLine(c.line);
    EXPECT_EQ(parsed.code, any.code) << "line: " << c.line;
    if (!plain) continue;
    EXPECT_EQ(plain->code, any.code) << "line: " << c.line;
    if (any.code != kDataLine) continue;
    EXPECT_EQ(plain->when, any.when) << "line: " << c.line;
    EXPECT_EQ(plain->pulseCount, any.pulseCount) << "line: " << c.line;
    EXPECT_EQ(plain->temperature, any.temperature) << "line: " << c.line;
    EXPECT_EQ(std::signbit(plain->temperature), std::signbit(any.temperature)) << "line: " << c.line;
  }
}

TEST(ReceptionParser, FieldSplitting) {
  std::string_view rest = "  \"ab\"cd\",next ";
  std::string_view field;
  bool had = false;
  EXPECT_EQ(splitField(rest, ',', field, had), SplitResult::Field);
  EXPECT_EQ(field, "ab\"cd");  // closing quote, text after it, one trailing quote removed
  EXPECT_TRUE(had);
  EXPECT_EQ(splitField(rest, ',', field, had), SplitResult::Field);
  EXPECT_EQ(field, "next");
  EXPECT_FALSE(had);
  EXPECT_EQ(splitField(rest, ',', field, had), SplitResult::Empty);
}

}  // namespace
}  // namespace pelnor
