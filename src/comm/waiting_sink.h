// Notifications for callers without a window (the command line, tests, benchmarks):
// each text is shown at once on the worker thread and acknowledged, and the caller
// waits for the end of the reception.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

#include "comm/notification.h"

namespace pelnor {

class WaitingSink : public NotificationSink {
 public:
  using Show = std::function<void(const Notification&)>;

  // show sees every notification, the end included; it may be empty.
  explicit WaitingSink(Show show = {}) : show_(std::move(show)) {}

  void post(const Notification& notification, PendingNotifications& pending) override;

  // The end's kind (Finished or Failed), or none when the reception did not end within
  // the limit.
  std::optional<NotificationKind> waitForEnd(
      std::chrono::milliseconds limit = std::chrono::milliseconds::max());

 private:
  Show show_;
  std::mutex mutex_;
  std::condition_variable ended_;
  std::optional<NotificationKind> endKind_;
};

}  // namespace pelnor
