// Notifications for callers without a window (the command line, tests, benchmarks):
// each text is shown at once on the worker thread and acknowledged, and the caller
// waits for the end of the reception.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "comm/collection.h"

namespace pelnor {

class WaitingSink : public NotificationSink {
 public:
  using Show = std::function<void(const Notification&)>;

  // show sees every notification, kinds 3 and 4 included; it may be empty.
  explicit WaitingSink(Show show = {}) : show_(std::move(show)) {}

  // The engine that texts are acknowledged to; set before it starts.
  void attach(CollectionEngine& engine) { engine_ = &engine; }
  void post(const Notification& notification) override;

  // The final kind (3 or 4), or 0 when the reception did not end within the limit.
  int waitForEnd(std::chrono::milliseconds limit = std::chrono::milliseconds::max());

 private:
  Show show_;
  CollectionEngine* engine_ = nullptr;
  std::mutex mutex_;
  std::condition_variable ended_;
  int endKind_ = 0;
};

}  // namespace pelnor
