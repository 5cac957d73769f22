// What a reception tells whoever shows it (the window, the command line, a test): steps,
// problems and its end, and the count of texts not yet shown that a stop waits for.
#pragma once

#include <atomic>
#include <string>

#include "comm/rotating_log.h"

namespace pelnor {

// The numbers are the kinds the reception window's message has always carried.
enum class NotificationKind : int {
  Progress = 1,  // text
  Problem = 2,   // text, also written to the application log
  Finished = 3,  // the reception ended normally
  Failed = 4,    // the reception ended with an error
};

struct Notification {
  NotificationKind kind = NotificationKind::Progress;
  bool status = false;  // also show the text in the status line
  std::string text;

  // A step of the reception, shown in the status line too.
  static Notification step(std::string text) { return {NotificationKind::Progress, true, std::move(text)}; }
  static Notification problem(std::string text) { return {NotificationKind::Problem, true, std::move(text)}; }
  // Texts are waited for until they have been shown; the end is not.
  bool isText() const { return kind == NotificationKind::Progress || kind == NotificationKind::Problem; }
  bool operator==(const Notification&) const = default;
};

// The texts posted and not shown yet: a stop waits until they have been, so that nothing
// the reception said is lost with its window. Counted on the worker, acknowledged on
// whichever thread shows them.
class PendingNotifications {
 public:
  explicit PendingNotifications(RotatingLog& appLog) : appLog_(appLog) {}

  // The worker counts as one until it has posted its end, so that a stop made before it
  // runs still waits for it.
  void workerStarted() { count_ = 1; }
  void workerEnded() { --count_; }
  void posted(const Notification& notification) {
    if (notification.isText()) ++count_;
  }
  // A text has been shown; a problem also goes to the application log.
  void acknowledge(const Notification& notification);
  int count() const { return count_; }

 private:
  RotatingLog& appLog_;
  std::atomic<int> count_{0};
};

// Receives notifications on the worker thread. Every text must be handed back to pending
// once it has been shown.
class NotificationSink {
 public:
  virtual ~NotificationSink() = default;
  virtual void post(const Notification& notification, PendingNotifications& pending) = 0;
};

}  // namespace pelnor
