// The errors of the file layer: the exceptions its functions throw and how a caught one is
// reported.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

#include "data/reporter.h"

namespace pelnor {

// The exception of the file layer; it carries a finished message text.
class CTryErr : public std::exception {
 public:
  explicit CTryErr(std::string text) : text_(std::move(text)) {}
  const std::string& text() const { return text_; }
  bool hasText() const { return !text_.empty(); }
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  std::string text_;
};

// A stream or format error of the archive encoding ("ｱｰｶｲﾌﾞ異常").
class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failed file access, such as a failed write ("ﾌｧｲﾙｱｸｾｽ異常"), with the file it
// concerns when there is one, so that the user learns which file it was.
class FileError : public std::runtime_error {
 public:
  explicit FileError(const std::string& description, std::string path = {})
      : std::runtime_error(description), path_(std::move(path)) {}
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// "%s\n%s\n%s(%d)": the kind of the current exception, its own description (at most
// 100 bytes, followed by the file's path on a line of its own when it names one), the
// source module and line. Call from inside a catch block.
std::string describeCurrentException(const char* module, int line);

// Reports an exception caught at the top of a file operation: CTryErr texts in an
// information box, anything else as a plain message.
void reportCurrentException(Reporter& reporter, const char* module, int line);

}  // namespace pelnor
