#include "comm/waiting_sink.h"

namespace pelnor {

void WaitingSink::post(const Notification& notification, PendingNotifications& pending) {
  if (show_) show_(notification);
  if (notification.isText()) {
    pending.acknowledge(notification);
    return;
  }
  std::lock_guard lock(mutex_);
  endKind_ = notification.kind;
  ended_.notify_all();
}

std::optional<NotificationKind> WaitingSink::waitForEnd(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  if (limit == std::chrono::milliseconds::max()) {
    ended_.wait(lock, [&] { return endKind_.has_value(); });
  } else {
    ended_.wait_for(lock, limit, [&] { return endKind_.has_value(); });
  }
  return endKind_;
}

}  // namespace pelnor
