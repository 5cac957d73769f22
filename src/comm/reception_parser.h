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

// One field split off the front of `rest` at `delimiter`, with the device's quoting rule.
enum class SplitResult { Field, Empty, Unbalanced };
SplitResult splitField(std::string_view& rest, char delimiter, std::string_view& field, bool& hadDelimiter);

}  // namespace pelnor
