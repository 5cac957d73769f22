#include "data/stored_text.h"

#include "data/text.h"

namespace pelnor {

StoredText StoredText::fromCp932(std::string_view bytes) {
  StoredText text(cp932ToUtf8(bytes));
  text.readBytes_ = std::string(bytes);
  return text;
}

StoredText& StoredText::operator=(std::string utf8) {
  if (utf8 != text_) {
    text_ = std::move(utf8);
    readBytes_.clear();
  }
  return *this;
}

std::string StoredText::cp932() const {
  if (!readBytes_.empty()) return readBytes_;
  return utf8ToCp932(text_);
}

}  // namespace pelnor
