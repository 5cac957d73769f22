// Text at the borders of the program: every text inside is UTF-8, every file is cp932.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#if defined(__GNUC__) || defined(__clang__)
#define PELNOR_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define PELNOR_PRINTF(fmt, args)
#endif

namespace pelnor {

// cp932 bytes to UTF-8. A byte that is not cp932 text becomes a private-use character
// that utf8ToCp932 turns back into the same byte: a damaged name never makes a file
// unreadable, and is written back as it was read.
std::string cp932ToUtf8(std::string_view cp932);

// UTF-8 to cp932. A character cp932 cannot hold becomes "?".
std::string utf8ToCp932(std::string_view utf8);
// The same, but empty when some character cannot be held (or the UTF-8 is broken).
std::optional<std::string> utf8ToCp932IfExact(std::string_view utf8);
// The characters of a UTF-8 text that cp932 cannot hold, each once, in the order they
// come, separated by spaces: saved, each would become "?". Empty when it holds them all.
std::string charactersCp932Lacks(std::string_view utf8);

// UTF-16LE bytes to UTF-8; empty optional when they are not valid UTF-16 or
// hold a character that cp932 cannot represent (the file's 16-bit strings are meant
// to be converted to the local code page).
std::optional<std::string> utf16leToUtf8ForCp932(std::string_view utf16le);

// printf-style formatting, checked by the compiler where it can.
std::string formatText(const char* format, ...) PELNOR_PRINTF(1, 2);

// Cuts a cp932 text to at most maxBytes without splitting a double-byte character.
std::string cutCp932(std::string_view cp932, std::size_t maxBytes);

// True when the byte starts a double-byte cp932 character.
constexpr bool isCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// True when every byte is 7-bit ASCII, which reads the same in cp932 and UTF-8.
constexpr bool isAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Blanks are the ASCII white-space characters (space, tab, CR, LF, VT, FF).
constexpr bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
std::string_view trimBlanks(std::string_view text);

// Number of characters of a UTF-8 text.
std::size_t utf8Length(std::string_view utf8);
// The characters [first, first + count) of a UTF-8 text.
std::string_view utf8Substr(std::string_view utf8, std::size_t first, std::size_t count);

// A decimal integer prefix as C's atoi reads it (leading blanks, a sign, digits);
// values beyond int32 are clamped instead of being undefined.
int32_t parseIntPrefix(std::string_view text);
// The same, but empty when the number does not fit in int32.
std::optional<int32_t> intPrefixIfFits(std::string_view text);

}  // namespace pelnor
