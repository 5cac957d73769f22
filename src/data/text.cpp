#include "data/text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <vector>

namespace pelnor {

namespace {

// A byte that is not cp932 text stands in UTF-8 as the private-use character
// U+F700 + byte, so that writing the text back restores the byte.
constexpr uint32_t kRawByteBase = 0xF700;

std::string rawByteAsUtf8(unsigned char byte) {
  uint32_t cp = kRawByteBase + byte;
  return {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
          static_cast<char>(0x80 | (cp & 0x3F))};
}

// The raw byte a three-byte UTF-8 sequence stands for, or -1.
int rawByteOf(std::string_view sequence) {
  if (sequence.size() != 3) return -1;
  uint32_t cp = (static_cast<uint32_t>(static_cast<unsigned char>(sequence[0]) & 0x0F) << 12) |
                (static_cast<uint32_t>(static_cast<unsigned char>(sequence[1]) & 0x3F) << 6) |
                (static_cast<uint32_t>(static_cast<unsigned char>(sequence[2]) & 0x3F));
  return cp >= kRawByteBase && cp <= kRawByteBase + 0xFF ? static_cast<int>(cp - kRawByteBase) : -1;
}

using Replacement = std::string (*)(unsigned char);

// An iconv descriptor per thread and direction, opened once: opening one costs more
// than converting a name.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t reset() {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return cd_;
  }

 private:
  iconv_t cd_;
};

enum class Direction { Cp932ToUtf8, Utf8ToCp932, Utf16ToUtf8 };

Converter& converter(Direction direction) {
  thread_local Converter cp932ToUtf8("UTF-8", "CP932");
  thread_local Converter utf8ToCp932("CP932", "UTF-8");
  thread_local Converter utf16ToUtf8("UTF-8", "UTF-16LE");
  switch (direction) {
    case Direction::Cp932ToUtf8:
      return cp932ToUtf8;
    case Direction::Utf8ToCp932:
      return utf8ToCp932;
    case Direction::Utf16ToUtf8:
      break;
  }
  return utf16ToUtf8;
}

// One conversion with iconv. replace gives the text for a unit of input that cannot be
// converted; without it such a unit fails the whole conversion.
std::optional<std::string> convert(Direction direction, std::string_view input, std::size_t invalidInputUnit,
                                   Replacement replace) {
  Converter& conv = converter(direction);
  if (!conv.valid()) return std::nullopt;
  iconv_t cd = conv.reset();
  std::string out;
  std::vector<char> buffer(input.size() * 4 + 16);
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  bool ok = true;
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), outPtr);
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    if (!replace) {
      ok = false;
      break;
    }
    // EILSEQ or EINVAL: replace one unit of input and go on.
    out.append(replace(static_cast<unsigned char>(*in)));
    std::size_t skip = std::min(invalidInputUnit, inLeft);
    in += skip;
    inLeft -= skip;
  }
  if (!ok) return std::nullopt;
  return out;
}

}  // namespace

std::string cp932ToUtf8(std::string_view cp932) {
  bool ascii = true;
  for (char c : cp932) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(cp932);
  return *convert(Direction::Cp932ToUtf8, cp932, 1, rawByteAsUtf8);
}

namespace {

// UTF-8 to cp932; lossless becomes false when a character had to become "?".
std::string encodeCp932(std::string_view utf8, bool& lossless) {
  lossless = true;
  bool ascii = true;
  for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(utf8);
  if (auto whole = convert(Direction::Utf8ToCp932, utf8, 1, nullptr)) return *whole;
  // Some character has no cp932 form: convert character by character.
  std::string out;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    std::size_t next = pos + 1;
    while (next < utf8.size() && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80) ++next;
    std::string_view sequence = utf8.substr(pos, next - pos);
    if (int raw = rawByteOf(sequence); raw >= 0) {
      out += static_cast<char>(raw);
    } else {
      auto part = convert(Direction::Utf8ToCp932, sequence, 1, nullptr);
      lossless = lossless && part.has_value();
      out += part ? *part : std::string("?");
    }
    pos = next;
    // Convert runs of plain ASCII without calling iconv.
    while (pos < utf8.size() && static_cast<unsigned char>(utf8[pos]) < 0x80) out += utf8[pos++];
  }
  return out;
}

}  // namespace

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

std::optional<std::string> utf16leToUtf8ForCp932(std::string_view utf16le) {
  auto utf8 = convert(Direction::Utf16ToUtf8, utf16le, 2, nullptr);
  if (!utf8) return std::nullopt;
  if (!convert(Direction::Utf8ToCp932, *utf8, 1, nullptr)) return std::nullopt;
  return utf8;
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
