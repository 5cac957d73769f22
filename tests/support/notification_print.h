// How the tests print what a reception notified, so that a failed check shows names.
#pragma once

#include <ostream>

#include "comm/notification.h"

namespace pelnor {

inline void PrintTo(NotificationKind kind, std::ostream* out) {
  switch (kind) {
    case NotificationKind::Progress:
      *out << "Progress";
      return;
    case NotificationKind::Problem:
      *out << "Problem";
      return;
    case NotificationKind::Finished:
      *out << "Finished";
      return;
    case NotificationKind::Failed:
      *out << "Failed";
      return;
  }
  *out << "NotificationKind(" << static_cast<int>(kind) << ")";
}

inline void PrintTo(const Notification& notification, std::ostream* out) {
  PrintTo(notification.kind, out);
  *out << (notification.status ? " (status) " : " ") << '"' << notification.text << '"';
}

}  // namespace pelnor
