#include "app/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace pelnor {

namespace {

constexpr int kConnectWaitMs = 1000;
constexpr const char* kRaise = "raise\n";

}  // namespace

QString SingleInstance::defaultName() {
  QString user = qEnvironmentVariable("USER");
  if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");  // Windows
  if (user.isEmpty()) user = QDir::home().dirName();
  return QStringLiteral("%1-%2").arg(kBaseName, user);
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (socket->readAll().contains("raise") && raise_) raise_();
        socket->disconnectFromServer();
      });
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
}

bool SingleInstance::claim(std::function<void()> raise) {
  // Two starts at the same moment take turns here, as with a named mutex.
  QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) runtime = QDir::tempPath();
  startLock_ = std::make_unique<QLockFile>(runtime + "/" + name_ + ".lock");
  startLock_->lock();

  QLocalSocket other;
  other.connectToServer(name_);
  if (other.waitForConnected(kConnectWaitMs)) {
    other.write(kRaise);
    other.waitForBytesWritten(kConnectWaitMs);
    other.waitForDisconnected(kConnectWaitMs);
    startLock_->unlock();
    return false;
  }
  QLocalServer::removeServer(name_);  // left behind by an instance that crashed
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  server_.listen(name_);
  raise_ = std::move(raise);
  startLock_->unlock();
  return true;
}

}  // namespace pelnor
