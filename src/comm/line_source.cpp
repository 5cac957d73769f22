#include "comm/line_source.h"

#include <cmath>
#include <cstdlib>

#include "comm/reception_parser.h"
#include "data/file_system.h"
#include "data/held_file_retry.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

FileLineSource::FileLineSource(std::string contents) : contents_(std::move(contents)) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  constexpr char kEndOfFileMark = '\x1A';
  if (contents_.starts_with(kByteOrderMark)) pos_ = kByteOrderMark.size();
  if (contents_.size() > pos_ && contents_.back() == kEndOfFileMark) contents_.pop_back();
}

int FileLineSource::nextLine(std::string& line) {
  if (pos_ >= contents_.size()) {
    line = kEndLineText;
    return 0;
  }
  std::size_t end = contents_.find('\n', pos_);
  if (end == std::string::npos) end = contents_.size();
  line = contents_.substr(pos_, end - pos_);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  pos_ = end + 1;
  return 0;
}

FileOpenResult readReceptionFile(const std::filesystem::path& path, int limitMs, int intervalMs,
                                 Reporter& reporter, std::string& contents,
                                 const std::atomic<bool>* abandon) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return FileOpenResult::Missing;
  HeldFileRetry retry(path, limitMs, intervalMs, reporter, abandon);
  for (;;) {
    if (std::optional<std::string> read = readDenyingWriters(path)) {
      contents = std::move(*read);
      return FileOpenResult::Opened;
    }
    if (retry.beforeNextTry() != kOpenOk) return FileOpenResult::CannotOpen;
  }
}

int SerialLineSource::nextLine(std::string& line) {
  static const std::vector<std::string> kTerminators{"\r\n"};
  char buffer[kLineBufferSize];
  std::size_t received = 0;
  int result = port_.ReadLine(buffer, sizeof buffer, received, kTerminators);
  line.assign(buffer, received);
  return result;
}

namespace {

constexpr std::time_t kStepSeconds = 600;  // 10 minutes
constexpr int kSimulatedDeviceId = 100;

}  // namespace

SimulatedDevice::SimulatedDevice(Clock clock, Random random)
    : clock_(clock ? std::move(clock) : Clock([] { return std::time(nullptr); })),
      random_(random ? std::move(random) : Random([] { return std::rand() & 0x7FFF; })) {}

int SimulatedDevice::nextLine(std::string& line) {
  if (firstLine_) {
    firstLine_ = false;
    end_ = clock_();
    std::time_t start = end_ - 2 * 86400;
    std::tm local = localCalendar(start);
    local.tm_min = 0;
    local.tm_sec = 0;
    current_ = std::mktime(&local);
    pulseTotal_ = 0;
    baseTemperature_ = 20;
    line = formatText("%d", kSimulatedDeviceId);
    return 0;
  }
  const int r = random_();
  const int c = static_cast<int>(std::trunc(r * 10.0 / 32767 - 5));
  pulseTotal_ += 10 * std::abs(c);
  std::tm local = localCalendar(current_);
  line = formatText("%02d/%02d/%02d %02d:%02d,%04d,%02d", local.tm_year + 1900 - 2000, local.tm_mon + 1,
                    local.tm_mday, local.tm_hour, local.tm_min, pulseTotal_, baseTemperature_ + c);
  current_ += kStepSeconds;
  if (current_ > end_) line = kEndLineText;
  return 0;
}

}  // namespace pelnor
