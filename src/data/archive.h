// The byte encoding of the stored files: little-endian numbers, length-prefixed cp932
// strings and element counts, written and read strictly in sequence.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "data/date_time.h"
#include "data/stored_text.h"

namespace pelnor {

// A little-endian number of the file's bytes at p (sizeof(T) bytes must be there).
template <typename T>
T littleEndianAt(const char* p) {
  T value = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&value, p, sizeof value);
  } else {
    for (std::size_t i = 0; i < sizeof(T); ++i)
      value |= static_cast<T>(static_cast<T>(static_cast<unsigned char>(p[i])) << (8 * i));
  }
  return value;
}

// Reads elements from the bytes of one file. Every length and count is checked against
// what remains before anything is allocated; a short read throws ArchiveError.
class ArchiveReader {
 public:
  explicit ArchiveReader(std::string_view bytes) : bytes_(bytes) {}

  // The fixed-width readers are inline: a month file holds thousands of numbers.
  uint8_t readByte() { return static_cast<uint8_t>(*take(1)); }
  uint16_t readUInt16() { return littleEndianAt<uint16_t>(take(2)); }
  uint32_t readUInt32() { return littleEndianAt<uint32_t>(take(4)); }
  int32_t readInt32() { return static_cast<int32_t>(readUInt32()); }
  double readFloat64() { return std::bit_cast<double>(littleEndianAt<uint64_t>(take(8))); }
  DateTime readDateTime();
  std::string readString();  // returned as UTF-8
  StoredText readText();     // the same, remembering the bytes it was read from
  // A count of elements that follow. It is not checked against the file: callers read
  // element by element, so that what precedes damage is kept, and allocate no more than
  // reserveFor allows.
  uint32_t readCount();
  // How many elements of at least minElementBytes each can still follow, at most count.
  std::size_t reserveFor(uint32_t count, std::size_t minElementBytes) const;
  std::string_view readRaw(std::size_t size) { return std::string_view(take(size), size); }

  std::size_t remaining() const { return bytes_.size() - pos_; }

 private:
  // The next size bytes; throws ArchiveError when fewer remain.
  const char* take(std::size_t size) {
    if (size > remaining()) throwPastEnd();
    const char* at = bytes_.data() + pos_;
    pos_ += size;
    return at;
  }
  [[noreturn]] static void throwPastEnd();

  std::string_view bytes_;
  std::size_t pos_ = 0;
  // The last text that needed converting: a month repeats its customer name in every day.
  std::string_view lastConvertedBytes_;
  StoredText lastConverted_;
};

// Collects elements in memory; the file layer writes them out in one piece.
class ArchiveWriter {
 public:
  void writeByte(uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
  void writeUInt16(uint16_t value);
  void writeUInt32(uint32_t value);
  void writeInt32(int32_t value) { writeUInt32(static_cast<uint32_t>(value)); }
  void writeFloat64(double value);
  void writeDateTime(const DateTime& value);
  void writeString(std::string_view utf8);  // stored as 8-bit cp932
  void writeText(const StoredText& text);   // with the bytes it was read from, if unchanged
  void writeCount(uint32_t count);
  void writeRaw(std::string_view bytes) { bytes_.append(bytes); }

  const std::string& bytes() const { return bytes_; }

 private:
  void writeCp932(std::string_view text);

  std::string bytes_;
};

}  // namespace pelnor
