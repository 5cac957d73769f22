#include "data/held_file_retry.h"

#include <algorithm>

#include "data/file_system.h"
#include "data/path_text.h"
#include "data/text.h"

namespace pelnor {

std::string heldFileWaitText(const std::string& file, int limitMs) {
  constexpr int kMsPerSecond = 1000;
  const int seconds = (limitMs + kMsPerSecond - 1) / kMsPerSecond;
  return formatText("他のプログラムがファイルを使用中のため、待っています（最長%d秒）\n%s", seconds,
                    file.c_str());
}

HeldFileRetry::HeldFileRetry(std::filesystem::path file, int limitMs, int intervalMs, Reporter& reporter,
                             const std::atomic<bool>* abandon)
    : file_(std::move(file)),
      limit_(std::max(limitMs, 0)),
      intervalMs_(std::max(intervalMs, 1)),
      reporter_(reporter),
      abandon_(abandon),
      start_(std::chrono::steady_clock::now()) {}

HeldFileRetry::~HeldFileRetry() = default;

int HeldFileRetry::beforeNextTry() {
  if (abandoned()) return kOpenAbandoned;
  const auto waited = std::chrono::steady_clock::now() - start_;
  if (waited >= limit_) return kOpenTimedOut;
  if (!told_) told_ = reporter_.waitForHeldFile(pathText(file_), static_cast<int>(limit_.count()));
  // The last pause ends at the limit, so that the last try comes when the limit is reached.
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(limit_ - waited);
  const int pauseMs = static_cast<int>(std::min<std::chrono::milliseconds::rep>(intervalMs_, left.count()));
  if (!told_->pause(pauseMs) || abandoned()) return kOpenAbandoned;
  return kOpenOk;
}

}  // namespace pelnor
