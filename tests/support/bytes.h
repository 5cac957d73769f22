// Builds expected file bytes element by element, independently of the writer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace pelnor::test {

class Bytes {
 public:
  Bytes& u8(uint8_t v) {
    s_.push_back(static_cast<char>(v));
    return *this;
  }
  Bytes& u16(uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
  Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Bytes& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
  Bytes& f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return u32(static_cast<uint32_t>(bits)).u32(static_cast<uint32_t>(bits >> 32));
  }
  Bytes& raw(const std::string& text) {
    s_ += text;
    return *this;
  }
  // A short string: one length byte and the cp932 bytes.
  Bytes& str(const std::string& cp932) { return u8(static_cast<uint8_t>(cp932.size())).raw(cp932); }

  const std::string& str() const { return s_; }
  operator std::string() const { return s_; }

 private:
  std::string s_;
};

}  // namespace pelnor::test
