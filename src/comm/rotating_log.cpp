#include "comm/rotating_log.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "data/file_system.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace {

// The tick of the last timestamped write of any log in the process (0 before the first).
std::atomic<uint32_t> previousWriteTick{0};
std::atomic<bool> anyWriteYet{false};

const LogClock& systemClock() {
  static const LogClock clock;
  return clock;
}

constexpr int kTraceIndent = 36;  // head and marker

// Opens for appending with others kept from writing, retrying until the time-out.
UniqueFd openLocked(const std::filesystem::path& path, int timeoutMs) {
  auto start = std::chrono::steady_clock::now();
  for (;;) {
    UniqueFd fd = openForAppendExclusive(path);
    if (fd.valid()) return fd;
    if (std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(timeoutMs)) return UniqueFd();
    std::this_thread::sleep_for(std::chrono::milliseconds(RotatingLog::kRetryIntervalMs));
  }
}

void deleteIfLargerThan(const std::filesystem::path& path, int64_t limit) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec && static_cast<int64_t>(size) > limit) std::filesystem::remove(path, ec);
}

// Text mode: every line end is CR LF on disk.
std::string toFileText(std::string_view utf8) {
  std::string cp932 = utf8ToCp932(utf8);
  std::string out;
  out.reserve(cp932.size());
  for (char c : cp932) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

std::time_t LogClock::now() const { return std::time(nullptr); }

uint32_t LogClock::tickMs() const {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<uint32_t>(ms.count());
}

RotatingLog::RotatingLog(const LogClock* clock) : clock_(clock ? clock : &systemClock()) {}

void RotatingLog::Configure(const std::string& prefix, int daysPerFile, int fileCount, int openTimeoutMs,
                            int64_t sizeLimit) {
  std::lock_guard lock(mutex_);
  prefix_ = prefix;
  daysPerFile_ = daysPerFile > 0 ? daysPerFile : 1;
  fileCount_ = fileCount > 0 ? fileCount : 1;
  openTimeoutMs_ = openTimeoutMs;
  sizeLimit_ = sizeLimit;
}

long RotatingLog::dayNumber(std::time_t when) {
  std::tm origin{};
  origin.tm_year = 98;
  origin.tm_mon = 0;
  origin.tm_mday = 1;
  origin.tm_isdst = -1;
  return static_cast<long>(std::difftime(when, std::mktime(&origin)) / 86400);
}

std::string RotatingLog::head() const {
  std::time_t now = clock_->now();
  std::tm local = localCalendar(now);
  uint32_t tick = clock_->tickMs();
  uint32_t elapsed = anyWriteYet.exchange(true) ? tick - previousWriteTick.load() : 0;
  previousWriteTick = tick;
  return formatText("%02d/%02d %02d:%02d:%02d[%08lu](%8lu)", local.tm_mon + 1, local.tm_mday, local.tm_hour,
                    local.tm_min, local.tm_sec, static_cast<unsigned long>(tick),
                    static_cast<unsigned long>(elapsed));
}

void RotatingLog::write(std::string_view text, bool timestamp, bool lineEnd) {
  std::lock_guard lock(mutex_);
  if (prefix_.empty()) return;

  const std::time_t now = clock_->now();
  const long period = (dayNumber(now) - 1) / daysPerFile_;
  const long index = ((period % fileCount_) + fileCount_) % fileCount_;
  const std::filesystem::path path = pathFromText(formatText("%s%ld.LOG", prefix_.c_str(), index));

  if (std::optional<FileFacts> facts = fileFacts(path)) {
    // A file of an earlier turn of the ring starts afresh; so does one grown too large.
    bool samePeriod = (dayNumber(facts->modified) - 1) / daysPerFile_ == period;
    std::error_code ec;
    if ((!samePeriod || facts->size > sizeLimit_) && std::filesystem::is_regular_file(path, ec)) {
      std::filesystem::remove(path, ec);
    }
  }

  bool periodFile = true;
  UniqueFd file = openLocked(path, openTimeoutMs_);
  if (!file.valid()) {
    periodFile = false;
    const std::filesystem::path fallback = pathFromText(prefix_ + "E.LOG");
    deleteIfLargerThan(fallback, sizeLimit_);
    file = openLocked(fallback, 0);
    if (!file.valid()) return;
  }

  std::string bytes;
  if (timestamp) bytes += head();
  bytes += toFileText(text);
  if (lineEnd) bytes += "\r\n";
  writeFully(file.get(), bytes);

  if (periodFile) {
    // The modification time tells the next write which period the file belongs to.
    setModifiedTime(file.get(), now);
  }
}

void RotatingLog::WriteLine(std::string_view text) { write(text, true, true); }
void RotatingLog::WriteHead(std::string_view text) { write(text, true, false); }
void RotatingLog::WriteRaw(std::string_view text) { write(text, false, true); }

void RotatingLog::TraceBytes(const uint8_t* bytes, std::size_t count, bool received) {
  if (count == 0 || !enabled()) return;
  WriteHead(received ? "**" : "  ");
  WriteRaw(traceHexLine(bytes, count));
  WriteRaw(traceCharLine(bytes, count));
}

std::string traceHexLine(const uint8_t* bytes, std::size_t count) {
  std::string line;
  for (std::size_t i = 0; i < count; ++i) line += formatText("%02X ", bytes[i]);
  return line;
}

std::string traceCharLine(const uint8_t* bytes, std::size_t count) {
  std::string line(kTraceIndent, ' ');
  for (std::size_t i = 0; i < count; ++i) {
    uint8_t b = bytes[i];
    const char* name = nullptr;
    switch (b) {
      case 0x02:
        name = "@SX";
        break;
      case 0x03:
        name = "@EX";
        break;
      case 0x04:
        name = "@ET";
        break;
      case 0x05:
        name = "@EQ";
        break;
      case 0x06:
        name = "@AK";
        break;
      case 0x0A:
        name = "@LF";
        break;
      case 0x0D:
        name = "@CR";
        break;
      case 0x10:
        name = "@DE";
        break;
      case 0x15:
        name = "@NK";
        break;
      case 0x17:
        name = "@EB";
        break;
      default:
        break;
    }
    if (name) {
      line += name;
    } else if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF)) {
      // Single-byte katakana are cp932 text of their own; they pass through as they are.
      line += ' ';
      line += cp932ToUtf8(std::string(1, static_cast<char>(b)));
      line += ' ';
    } else {
      line += "   ";
    }
  }
  return line;
}

}  // namespace pelnor
