#include "comm/waiting_sink.h"

namespace pelnor {

void WaitingSink::post(const Notification& notification) {
  if (show_) show_(notification);
  if (notification.kind == Notification::kProgress || notification.kind == Notification::kProblem) {
    if (engine_) engine_->acknowledge(notification);
    return;
  }
  std::lock_guard lock(mutex_);
  endKind_ = notification.kind;
  ended_.notify_all();
}

int WaitingSink::waitForEnd(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  if (limit == std::chrono::milliseconds::max()) {
    ended_.wait(lock, [&] { return endKind_ != 0; });
  } else {
    ended_.wait_for(lock, limit, [&] { return endKind_ != 0; });
  }
  return endKind_;
}

}  // namespace pelnor
