// Text conversion through iconv (the platforms that have it).
#include <iconv.h>

#include <cerrno>
#include <vector>

#include "data/text.h"
#include "data/text_raw_bytes.h"

namespace pelnor {

using rawbytes::rawByteAsUtf8;
using rawbytes::rawByteOf;

namespace {

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
  if (isAscii(cp932)) return std::string(cp932);
  return *convert(Direction::Cp932ToUtf8, cp932, 1, rawByteAsUtf8);
}

std::string encodeCp932(std::string_view utf8, bool& lossless) {
  lossless = true;
  if (isAscii(utf8)) return std::string(utf8);
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

std::optional<std::string> utf16leToUtf8ForCp932(std::string_view utf16le) {
  auto utf8 = convert(Direction::Utf16ToUtf8, utf16le, 2, nullptr);
  if (!utf8) return std::nullopt;
  if (!convert(Direction::Utf8ToCp932, *utf8, 1, nullptr)) return std::nullopt;
  return utf8;
}

}  // namespace pelnor
