// Text conversion through the Windows code pages (932 and UTF-8), giving the same bytes as
// the iconv build: bytes that are not cp932 text keep their private-use stand-ins.
#include <windows.h>

#include "data/text.h"
#include "data/text_raw_bytes.h"
#include "data/wide_text_win.h"

namespace pelnor {

namespace {

constexpr UINT kCp932 = 932;

// One UTF-8 character as cp932 bytes; empty when cp932 has no such character.
std::string cp932OfCharacter(std::string_view sequence) {
  wchar_t wide[2];
  const int count = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, sequence.data(),
                                          static_cast<int>(sequence.size()), wide, 2);
  if (count <= 0) return {};
  char out[8];
  BOOL usedDefault = FALSE;
  const int size = ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide, count, out, sizeof out, nullptr,
                                         &usedDefault);
  if (size <= 0 || usedDefault) return {};
  return std::string(out, static_cast<std::size_t>(size));
}

}  // namespace

std::string utf8OfWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int count = static_cast<int>(wide.size());
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring wideOfUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int count = static_cast<int>(utf8.size());
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), count, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), count, out.data(), size);
  return out;
}

std::string encodeCp932(std::string_view utf8, bool& lossless) {
  lossless = true;
  if (isAscii(utf8)) return std::string(utf8);
  std::string out;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
      out += utf8[pos++];
      continue;
    }
    std::size_t next = pos + 1;
    while (next < utf8.size() && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80) ++next;
    const std::string_view sequence = utf8.substr(pos, next - pos);
    if (int raw = rawbytes::rawByteOf(sequence); raw >= 0) {
      out += static_cast<char>(raw);
    } else if (std::string bytes = cp932OfCharacter(sequence); !bytes.empty()) {
      out += bytes;
    } else {
      lossless = false;
      out += '?';
    }
    pos = next;
  }
  return out;
}

std::string cp932ToUtf8(std::string_view cp932) {
  if (isAscii(cp932)) return std::string(cp932);
  std::string out;
  std::size_t pos = 0;
  while (pos < cp932.size()) {
    const auto byte = static_cast<unsigned char>(cp932[pos]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++pos;
      continue;
    }
    const std::size_t width = isCp932LeadByte(byte) && pos + 1 < cp932.size() ? 2 : 1;
    wchar_t wide[2];
    const int count = ::MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, cp932.data() + pos,
                                            static_cast<int>(width), wide, 2);
    if (count == 1) {
      out += utf8OfWide(std::wstring_view(wide, 1));
      pos += width;
    } else {
      out += rawbytes::rawByteAsUtf8(byte);
      ++pos;
    }
  }
  return out;
}

std::optional<std::string> utf16leToUtf8ForCp932(std::string_view utf16le) {
  if (utf16le.size() % 2 != 0) return std::nullopt;
  std::wstring wide(utf16le.size() / 2, L'\0');
  for (std::size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(utf16le[2 * i]) |
                                   (static_cast<unsigned char>(utf16le[2 * i + 1]) << 8));
  }
  if (wide.empty()) return std::string();
  // Broken surrogates are not text.
  if (::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()),
                            nullptr, 0, nullptr, nullptr) <= 0) {
    return std::nullopt;
  }
  BOOL usedDefault = FALSE;
  ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                        nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  return utf8OfWide(wide);
}

}  // namespace pelnor
