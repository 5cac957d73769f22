// Text lines into a ring of log files, one file per period of N days, with a fallback
// file when the period's file cannot be opened and a size limit per file.
#pragma once

#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>

namespace pelnor {

// The wall clock and the millisecond tick; tests walk the calendar with their own.
class LogClock {
 public:
  virtual ~LogClock() = default;
  virtual std::time_t now() const;
  virtual uint32_t tickMs() const;  // wraps after about 49.7 days
};

class RotatingLog {
 public:
  static constexpr int kRetryIntervalMs = 100;

  explicit RotatingLog(const LogClock* clock = nullptr);

  // An empty prefix switches the log off.
  void Configure(const std::string& prefix, int daysPerFile, int fileCount, int openTimeoutMs,
                 int64_t sizeLimit);

  void WriteLine(std::string_view text);  // timestamp, text, line end
  void WriteHead(std::string_view text);  // timestamp, text
  void WriteRaw(std::string_view text);   // text, line end
  // Two lines: the bytes in hexadecimal after a head with the direction marker, and
  // under each byte its character or control name.
  void TraceBytes(const uint8_t* bytes, std::size_t count, bool received);

  bool enabled() const { return !prefix_.empty(); }
  const std::string& prefix() const { return prefix_; }
  // Whole days from 1998-01-01 00:00 local time.
  static long dayNumber(std::time_t when);

 private:
  void write(std::string_view text, bool timestamp, bool lineEnd);
  std::string head() const;

  const LogClock* clock_;
  std::mutex mutex_;
  std::string prefix_;
  int daysPerFile_ = 7;
  int fileCount_ = 1;
  int openTimeoutMs_ = 10000;
  int64_t sizeLimit_ = 5242880;
};

// The two lines of a byte trace after the head, without line ends.
std::string traceHexLine(const uint8_t* bytes, std::size_t count);
std::string traceCharLine(const uint8_t* bytes, std::size_t count);

}  // namespace pelnor
