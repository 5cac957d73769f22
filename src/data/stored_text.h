// A text field of a stored record. cp932 has two codes for some characters (the NEC and
// the IBM selections), and a conversion to UTF-8 and back picks one of them. A text read
// from a file therefore remembers its bytes and is written back with them for as long
// as it is not changed; only a text that was edited is encoded anew.
#pragma once

#include <string>
#include <string_view>

namespace pelnor {

class StoredText {
 public:
  StoredText() = default;
  StoredText(std::string utf8) : text_(std::move(utf8)) {}  // NOLINT: a text is a text
  StoredText(const char* utf8) : text_(utf8) {}             // NOLINT

  // The text that bytes read from a file hold.
  static StoredText fromCp932(std::string_view bytes);

  // Assigning the text it already holds keeps the read bytes: a dialog that copies an
  // unchanged field back does not re-encode it.
  StoredText& operator=(std::string utf8);
  StoredText& operator=(const char* utf8) { return *this = std::string(utf8); }

  const std::string& str() const { return text_; }
  operator const std::string&() const { return text_; }  // NOLINT
  const char* c_str() const { return text_.c_str(); }
  bool empty() const { return text_.empty(); }

  // The bytes to store: the read ones while the text is unchanged.
  std::string cp932() const;

  bool operator==(const StoredText& other) const { return text_ == other.text_; }
  bool operator==(std::string_view other) const { return text_ == other; }
  bool operator==(const char* other) const { return text_ == other; }

 private:
  std::string text_;       // UTF-8
  std::string readBytes_;  // cp932 as read; empty when the text did not come from a file
};

}  // namespace pelnor
