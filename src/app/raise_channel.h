// The line between two starts of the program: a later start asks the running one to come to
// the front. A Unix domain socket in the user's runtime folder on Linux (the window then needs
// no QtNetwork, which would load Kerberos and libproxy at every start); a named pipe through
// QLocalSocket on Windows.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace pelnor::raise_channel {

// True when a running instance listens under name and has been asked to come to the front.
// Only this user's instance is asked.
bool askToRaise(const QString& folder, const QString& name);

// Listens under name and calls raise for each ask, on the GUI thread. A socket of this user
// there (what a crashed instance left) is replaced; anything else is left as it is. Null when
// nothing can listen there, with the reason in *why when given.
std::unique_ptr<QObject> listen(const QString& folder, const QString& name, std::function<void()> raise,
                                QString* why = nullptr);

}  // namespace pelnor::raise_channel
