// The lines a device sends: an ID line, data lines "YY/MM/DD hh:mm,PPPP,TT" and an end
// line, classified by one stateless parser.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/date_time.h"

namespace pelnor {

// Classification codes: the contract between the parser and the collection.
enum LineCode : int {
  kDataLine = 0,
  kIdLine = 1,
  kEndLine = 2,
  kUnrecognisedDate = 999,
  kFormatError = -1,
  kEmptyLine = -2,
};

struct ParsedLine {
  int code = kFormatError;
  DateTime when;           // data lines
  int32_t deviceId = -1;   // ID lines; -1 when the number does not fit
  std::string idDigits;    // ID lines: the digits as received
  int32_t pulseCount = 0;  // data lines
  double temperature = 0;  // data lines, truncated toward zero
};

// The end line as the program itself writes it.
inline constexpr const char* kEndLineText = "00/00/00 00:00,0000, 00";

ParsedLine parseReceptionLine(std::string_view line);

// The two ways parseReceptionLine takes, apart for the tests and the fuzz target that hold
// them to the same results: the general parser of every line, and the fixed-place reader
// of the shape nearly every line has, "YY/MM/DD hh:mm,PPPP,TT" in plain digits (empty for
// any other line: false, out untouched).
ParsedLine parseAnyReceptionLine(std::string_view line);
bool parsePlainDataLine(std::string_view line, ParsedLine& out);

// One field split off the front of `rest` at `delimiter`, with the device's quoting rule.
enum class SplitResult { Field, Empty, Unbalanced };
SplitResult splitField(std::string_view& rest, char delimiter, std::string_view& field, bool& hadDelimiter);

}  // namespace pelnor
