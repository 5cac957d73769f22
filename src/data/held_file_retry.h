// The pace of the tries at a file or lock file that another program holds: the person is
// told once, when a real wait begins, which file is waited for, and the wait ends at its
// limit, when the caller abandons it, or at once when the person gives up.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "data/reporter.h"

namespace pelnor {

// What a person is told while the program waits for file.
std::string heldFileWaitText(const std::string& file, int limitMs);

class HeldFileRetry {
 public:
  HeldFileRetry(std::filesystem::path file, int limitMs, int intervalMs, Reporter& reporter,
                const std::atomic<bool>* abandon);
  ~HeldFileRetry();
  HeldFileRetry(const HeldFileRetry&) = delete;
  HeldFileRetry& operator=(const HeldFileRetry&) = delete;

  // Called when a try found the file held. Waits for the next try and returns kOpenOk,
  // or returns why there is none: kOpenTimedOut once the limit has passed (a limit of 0
  // at once, unannounced), kOpenAbandoned when the caller or the person gave up.
  int beforeNextTry();

 private:
  bool abandoned() const { return abandon_ && abandon_->load(); }

  std::filesystem::path file_;
  std::chrono::milliseconds limit_;
  int intervalMs_;
  Reporter& reporter_;
  const std::atomic<bool>* abandon_;
  std::chrono::steady_clock::time_point start_;
  std::unique_ptr<HeldFileWait> told_;  // while the person is told of the wait
};

}  // namespace pelnor
