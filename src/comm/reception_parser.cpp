#include "comm/reception_parser.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "data/text.h"

namespace pelnor {

namespace {

// The end line's marker anywhere in the first field.
constexpr std::string_view kEndMarker = "00/00/00";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal floating-point prefix ([sign] digits [. digits] [e [sign] digits]), truncated
// toward zero; empty when it does not fit in an int32. Text without digits reads as 0.
std::optional<double> truncatedDecimalPrefix(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  std::size_t start = pos;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  std::size_t digits = 0;
  while (pos < text.size() && isDigit(text[pos])) ++pos, ++digits;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    while (pos < text.size() && isDigit(text[pos])) ++pos, ++digits;
  }
  if (digits == 0) return 0.0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t exp = pos + 1;
    if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
    if (exp < text.size() && isDigit(text[exp])) {
      pos = exp;
      while (pos < text.size() && isDigit(text[pos])) ++pos;
    }
  }
  std::string number(text.substr(start, pos - start));
  double value = std::trunc(std::strtod(number.c_str(), nullptr));
  if (!std::isfinite(value) || value > std::numeric_limits<int32_t>::max() ||
      value < std::numeric_limits<int32_t>::min()) {
    return std::nullopt;
  }
  return value == 0 ? 0.0 : value;  // no negative zero
}

// The date and time of a data line: out.when, or kUnrecognisedDate in out.code.
bool takeDate(int64_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, ParsedLine& out) {
  if (year < 1900 || year > 2100 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59) {
    out.code = kUnrecognisedDate;
    return false;
  }
  out.when = DateTime::fromFields(static_cast<int>(year), month, day, hour, minute, 0);
  if (!out.when.isValid()) {  // in range, but not in the calendar (24/02/30)
    out.code = kUnrecognisedDate;
    return false;
  }
  return true;
}

}  // namespace

bool parsePlainDataLine(std::string_view line, ParsedLine& out) {
  // "YY/MM/DD hh:mm," at fixed places: one length check, then plain reads.
  constexpr std::size_t kShortest = 18;  // "YY/MM/DD hh:mm,P,T"
  if (line.size() < kShortest) return false;
  const char* const c = line.data();
  if (c[2] != '/' || c[5] != '/' || c[8] != ' ' || c[11] != ':' || c[14] != ',') return false;
  for (std::size_t at : {0, 1, 3, 4, 6, 7, 9, 10, 12, 13}) {
    if (!isDigit(c[at])) return false;
  }
  auto twoDigits = [c](std::size_t at) { return (c[at] - '0') * 10 + (c[at + 1] - '0'); };
  const int32_t year = twoDigits(0), month = twoDigits(3), day = twoDigits(6), hour = twoDigits(9),
                minute = twoDigits(12);
  if (year == 0 && month == 0 && day == 0) return false;  // "00/00/00": the end line

  // PPPP: one to nine digits (they always fit); then ",", blanks, an optional minus and TT.
  const std::size_t end = line.size();
  std::size_t at = 15;
  auto digits = [c, end, &at](int32_t& value) {
    const std::size_t start = at;
    value = 0;
    while (at < end && at - start < 9 && isDigit(c[at])) value = value * 10 + (c[at++] - '0');
    return at > start && !(at < end && isDigit(c[at]));
  };
  int32_t pulses = 0, degrees = 0;
  if (!digits(pulses) || at >= end || c[at++] != ',') return false;
  while (at < end && c[at] == ' ') ++at;
  const bool negative = at < end && c[at] == '-';
  if (negative) ++at;
  if (!digits(degrees)) return false;
  // Only the line's end may follow: blanks, then nothing, LF or CR LF.
  while (at < end && (c[at] == ' ' || c[at] == '\t')) ++at;
  const std::string_view rest = line.substr(at);
  if (!rest.empty() && rest != "\r\n" && rest != "\n") return false;

  if (!takeDate(2000 + int64_t{year}, month, day, hour, minute, out)) return true;
  out.pulseCount = pulses;
  out.temperature = degrees == 0 ? 0.0 : (negative ? -degrees : degrees);
  out.code = kDataLine;
  return true;
}

ParsedLine parseReceptionLine(std::string_view line) {
  ParsedLine out;
  if (parsePlainDataLine(line, out)) return out;
  return parseAnyReceptionLine(line);
}

SplitResult splitField(std::string_view& rest, char delimiter, std::string_view& field, bool& hadDelimiter) {
  hadDelimiter = false;
  // Blanks are single bytes below 0x40, so no trail byte of a double-byte character is one.
  std::string_view text = trimBlanks(rest);
  if (text.empty()) {
    rest = {};
    field = {};
    return SplitResult::Empty;
  }
  if (text.front() == '"') {
    std::size_t close = text.find('"', 1);
    if (close == std::string_view::npos) return SplitResult::Unbalanced;
    std::size_t delim = text.find(delimiter, close + 1);
    std::size_t end = delim == std::string_view::npos ? text.size() : delim;
    field = text.substr(1, end - 1);
    if (!field.empty() && field.back() == '"') field.remove_suffix(1);
    hadDelimiter = delim != std::string_view::npos;
    rest = hadDelimiter ? text.substr(delim + 1) : std::string_view();
    return SplitResult::Field;
  }
  std::size_t delim = text.find(delimiter);
  hadDelimiter = delim != std::string_view::npos;
  field = text.substr(0, hadDelimiter ? delim : text.size());
  rest = hadDelimiter ? text.substr(delim + 1) : std::string_view();
  return SplitResult::Field;
}

ParsedLine parseAnyReceptionLine(std::string_view line) {
  ParsedLine out;
  std::string_view rest = line;
  std::string_view first;
  bool hadComma = false;
  switch (splitField(rest, ',', first, hadComma)) {
    case SplitResult::Empty:
      out.code = kEmptyLine;
      return out;
    case SplitResult::Unbalanced:
      out.code = kFormatError;
      return out;
    case SplitResult::Field:
      break;
  }
  first = trimBlanks(first);
  if (first.find(kEndMarker) != std::string_view::npos) {
    out.code = kEndLine;
    return out;
  }
  // A line end inside the line means two lines ran together (CR CR LF ends no line on the
  // wire): the first one's reading would vanish into the second's last field.
  if (trimBlanks(line).find_first_of("\r\n") != std::string_view::npos) return out;

  if (!hadComma) {
    if (first.empty()) return out;
    for (char c : first) {
      if (!isDigit(c)) return out;
    }
    out.code = kIdLine;
    out.deviceId = intPrefixIfFits(first).value_or(-1);
    out.idDigits = std::string(first);
    return out;
  }

  // Date and time by successive splits: year/month/day hour:minute.
  std::string_view dateRest = first;
  std::string_view parts[4];
  const char delimiters[4] = {'/', '/', ' ', ':'};
  for (int i = 0; i < 4; ++i) {
    bool had = false;
    if (splitField(dateRest, delimiters[i], parts[i], had) != SplitResult::Field) return out;
  }
  std::string_view minutePart = trimBlanks(dateRest);
  if (minutePart.empty()) return out;

  const int64_t year = 2000 + int64_t{parseIntPrefix(parts[0])};
  const int32_t month = parseIntPrefix(parts[1]);
  const int32_t day = parseIntPrefix(parts[2]);
  const int32_t hour = parseIntPrefix(parts[3]);
  const int32_t minute = parseIntPrefix(minutePart);
  if (!takeDate(year, month, day, hour, minute, out)) return out;

  std::string_view pulses, temperature;
  bool had = false;
  if (splitField(rest, ',', pulses, had) != SplitResult::Field) return out;
  if (splitField(rest, ',', temperature, had) != SplitResult::Field) return out;
  std::optional<int32_t> pulseCount = intPrefixIfFits(pulses);
  std::optional<double> degrees = truncatedDecimalPrefix(temperature);
  if (!pulseCount || !degrees) return out;
  out.pulseCount = *pulseCount;
  out.temperature = *degrees;
  out.code = kDataLine;
  return out;
}

}  // namespace pelnor
