// A polite end on SIGTERM or SIGINT (a logout, a service manager, Ctrl+C in a terminal):
// the window closes as if the user had closed it, so the device master and the settings are
// saved.
#pragma once

#include <functional>

class QObject;

namespace pelnor {

// quit runs on the GUI thread when such a signal arrives.
void quitOnTerminationSignals(QObject& context, std::function<void()> quit);

}  // namespace pelnor
