#include "data/archive.h"

#include <algorithm>
#include <bit>

#include "data/file_errors.h"
#include "data/text.h"

namespace pelnor {

namespace {

template <typename T>
void appendLittleEndian(std::string& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

constexpr const char* kEndOfFile = "ファイルの終わりを越えて読み込もうとしました";
constexpr const char* kBadFormat = "ファイルの形式が正しくありません";
constexpr const char* kBadText = "文字列を変換できません";

}  // namespace

void ArchiveReader::throwPastEnd() { throw ArchiveError(kEndOfFile); }

DateTime ArchiveReader::readDateTime() {
  int32_t status = readInt32();
  double value = readFloat64();
  return DateTime(status, value);
}

std::string ArchiveReader::readString() { return readText().str(); }

StoredText ArchiveReader::readText() {
  bool wide = false;
  uint64_t length = 0;
  for (;;) {
    uint8_t byteLength = readByte();
    if (byteLength != 0xFF) {
      length = byteLength;
      break;
    }
    uint16_t wordLength = readUInt16();
    if (wordLength == 0xFFFE) {  // marks 16-bit text; the real prefix follows
      if (wide) throw ArchiveError(kBadFormat);
      wide = true;
      continue;
    }
    if (wordLength != 0xFFFF) {
      length = wordLength;
      break;
    }
    uint32_t longLength = readUInt32();
    if (longLength != 0xFFFFFFFFu) {
      length = longLength;
      break;
    }
    uint32_t low = readUInt32();
    uint32_t high = readUInt32();
    if (high != 0 || static_cast<int32_t>(low) < 0) throw ArchiveError(kBadFormat);
    length = low;
    break;
  }
  uint64_t byteCount = wide ? length * 2 : length;
  if (byteCount > remaining()) throw ArchiveError(kEndOfFile);
  std::string_view text = readRaw(static_cast<std::size_t>(byteCount));
  if (!wide) {
    if (!lastConvertedBytes_.empty() && text == lastConvertedBytes_) return lastConverted_;
    StoredText read = StoredText::fromCp932(text);
    if (!isAscii(text)) {
      lastConvertedBytes_ = text;
      lastConverted_ = read;
    }
    return read;
  }
  auto converted = utf16leToUtf8ForCp932(text);
  if (!converted) throw ArchiveError(kBadText);
  return StoredText(*converted);
}

uint32_t ArchiveReader::readCount() {
  uint32_t count = readUInt16();
  if (count == 0xFFFF) count = readUInt32();
  return count;
}

std::size_t ArchiveReader::reserveFor(uint32_t count, std::size_t minElementBytes) const {
  return std::min<std::size_t>(count, remaining() / std::max<std::size_t>(minElementBytes, 1));
}

void ArchiveWriter::writeUInt16(uint16_t value) { appendLittleEndian(bytes_, value); }
void ArchiveWriter::writeUInt32(uint32_t value) { appendLittleEndian(bytes_, value); }
void ArchiveWriter::writeFloat64(double value) { appendLittleEndian(bytes_, std::bit_cast<uint64_t>(value)); }

void ArchiveWriter::writeDateTime(const DateTime& value) {
  writeInt32(value.status());
  writeFloat64(value.value());
}

void ArchiveWriter::writeString(std::string_view utf8) { writeCp932(utf8ToCp932(utf8)); }

void ArchiveWriter::writeText(const StoredText& text) { writeCp932(text.cp932()); }

void ArchiveWriter::writeCp932(std::string_view text) {
  std::size_t length = text.size();
  if (length < 0xFF) {
    writeByte(static_cast<uint8_t>(length));
  } else if (length < 0xFFFE) {
    writeByte(0xFF);
    writeUInt16(static_cast<uint16_t>(length));
  } else {
    writeByte(0xFF);
    writeUInt16(0xFFFF);
    writeUInt32(static_cast<uint32_t>(length));
  }
  bytes_.append(text);
}

void ArchiveWriter::writeCount(uint32_t count) {
  if (count < 0xFFFF) {
    writeUInt16(static_cast<uint16_t>(count));
  } else {
    writeUInt16(0xFFFF);
    writeUInt32(count);
  }
}

}  // namespace pelnor
