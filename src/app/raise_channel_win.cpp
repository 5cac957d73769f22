#include <QLocalServer>
#include <QLocalSocket>

#include "app/raise_channel.h"

namespace pelnor::raise_channel {

namespace {

constexpr int kWaitMs = 1000;
constexpr char kRaise[] = "raise\n";

}  // namespace

// A named pipe of the user's session: the folder is not needed.
bool askToRaise(const QString&, const QString& name) {
  QLocalSocket other;
  other.connectToServer(name);
  if (!other.waitForConnected(kWaitMs)) return false;
  other.write(kRaise);
  other.waitForBytesWritten(kWaitMs);
  other.waitForDisconnected(kWaitMs);
  return true;
}

std::unique_ptr<QObject> listen(const QString&, const QString& name, std::function<void()> raise,
                                QString* why) {
  auto server = std::make_unique<QLocalServer>();
  QLocalServer* listener = server.get();
  QObject::connect(listener, &QLocalServer::newConnection, listener, [listener, raise = std::move(raise)] {
    while (QLocalSocket* socket = listener->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, raise] {
        if (socket->readAll().contains("raise") && raise) raise();
        socket->disconnectFromServer();
      });
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
  QLocalServer::removeServer(name);  // left behind by an instance that crashed
  listener->setSocketOptions(QLocalServer::UserAccessOption);
  if (!listener->listen(name)) {
    if (why)
      *why = QStringLiteral("二重起動の受け渡し用パイプ %1 を作れません（%2）")
                 .arg(name, listener->errorString());
    return nullptr;
  }
  return server;
}

}  // namespace pelnor::raise_channel
