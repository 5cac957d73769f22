#include "comm/notification.h"

namespace pelnor {

void PendingNotifications::acknowledge(const Notification& notification) {
  if (notification.kind == NotificationKind::Problem) appLog_.WriteLine(notification.text);
  if (notification.isText()) --count_;
}

}  // namespace pelnor
