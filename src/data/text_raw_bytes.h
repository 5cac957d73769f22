// How text conversion keeps bytes that are not cp932 text: each stands in UTF-8 as a
// private-use character, and turns back into the same byte. Shared by the platforms'
// converters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelnor::rawbytes {

// A byte that is not cp932 text stands in UTF-8 as the private-use character
// U+F700 + byte, so that writing the text back restores the byte.
inline constexpr uint32_t kRawByteBase = 0xF700;

inline std::string rawByteAsUtf8(unsigned char byte) {
  uint32_t cp = kRawByteBase + byte;
  return {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
          static_cast<char>(0x80 | (cp & 0x3F))};
}

// The raw byte a three-byte UTF-8 sequence stands for, or -1.
inline int rawByteOf(std::string_view sequence) {
  if (sequence.size() != 3) return -1;
  uint32_t cp = (static_cast<uint32_t>(static_cast<unsigned char>(sequence[0]) & 0x0F) << 12) |
                (static_cast<uint32_t>(static_cast<unsigned char>(sequence[1]) & 0x3F) << 6) |
                (static_cast<uint32_t>(static_cast<unsigned char>(sequence[2]) & 0x3F));
  return cp >= kRawByteBase && cp <= kRawByteBase + 0xFF ? static_cast<int>(cp - kRawByteBase) : -1;
}

}  // namespace pelnor::rawbytes

namespace pelnor {

// UTF-8 to cp932 by the platform's converter; lossless becomes false when a character had
// to become "?".
std::string encodeCp932(std::string_view utf8, bool& lossless);

}  // namespace pelnor
