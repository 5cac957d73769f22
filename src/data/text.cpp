#include "data/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <vector>

#include "data/text_raw_bytes.h"

namespace pelnor {

std::string utf8ToCp932(std::string_view utf8) {
  bool lossless = true;
  return encodeCp932(utf8, lossless);
}

std::optional<std::string> utf8ToCp932IfExact(std::string_view utf8) {
  bool lossless = true;
  std::string out = encodeCp932(utf8, lossless);
  if (!lossless) return std::nullopt;
  return out;
}

std::string charactersCp932Lacks(std::string_view utf8) {
  std::vector<std::string_view> lacking;
  for (std::size_t begin = 0, end = 0; begin < utf8.size(); begin = end) {
    for (end = begin + 1; end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80;) ++end;
    const std::string_view character = utf8.substr(begin, end - begin);
    if (!utf8ToCp932IfExact(character) &&
        std::find(lacking.begin(), lacking.end(), character) == lacking.end())
      lacking.push_back(character);
  }
  std::string text;
  for (std::string_view character : lacking) (text += text.empty() ? "" : " ") += character;
  return text;
}

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (size > 0) {
    out.resize(static_cast<std::size_t>(size) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<std::size_t>(size));
  }
  va_end(args);
  return out;
}

std::string cutCp932(std::string_view cp932, std::size_t maxBytes) {
  std::size_t pos = 0;
  while (pos < cp932.size()) {
    std::size_t width = isCp932LeadByte(static_cast<unsigned char>(cp932[pos])) ? 2 : 1;
    if (pos + width > maxBytes) break;
    pos += width;
  }
  return std::string(cp932.substr(0, std::min(pos, cp932.size())));
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::size_t utf8Length(std::string_view utf8) {
  std::size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string_view utf8Substr(std::string_view utf8, std::size_t first, std::size_t count) {
  auto offsetOf = [&](std::size_t chars) {
    std::size_t pos = 0;
    for (std::size_t seen = 0; pos < utf8.size(); ++pos) {
      if ((static_cast<unsigned char>(utf8[pos]) & 0xC0) != 0x80) {
        if (seen == chars) return pos;
        ++seen;
      }
    }
    return utf8.size();
  };
  std::size_t begin = offsetOf(first);
  std::size_t end = offsetOf(first + count);
  return utf8.substr(begin, end - begin);
}

std::optional<int32_t> intPrefixIfFits(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  int64_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = value * 10 + (text[pos] - '0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

int32_t parseIntPrefix(std::string_view text) {
  if (std::optional<int32_t> value = intPrefixIfFits(text)) return *value;
  // Too large: the sign after the blanks tells which end to clamp to.
  std::string_view rest = text.substr(std::min(text.find_first_not_of(" \t\r\n\v\f"), text.size()));
  return !rest.empty() && rest.front() == '-' ? std::numeric_limits<int32_t>::min()
                                              : std::numeric_limits<int32_t>::max();
}

}  // namespace pelnor
