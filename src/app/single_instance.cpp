#include "app/single_instance.h"

#include <QDir>
#include <QStandardPaths>

#include "app/raise_channel.h"

namespace pelnor {

QString SingleInstance::defaultName() {
  QString user = qEnvironmentVariable("USER");
  if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");  // Windows
  if (user.isEmpty()) user = QDir::home().dirName();
  return QStringLiteral("%1-%2").arg(kBaseName, user);
}

QString SingleInstance::folder() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(std::function<void()> raise) {
  // Two starts at the same moment take turns here, as with a named mutex.
  const QString runtime = folder();
  startLock_ = std::make_unique<QLockFile>(runtime + "/" + name_ + ".lock");
  startLock_->lock();

  if (raise_channel::askToRaise(runtime, name_)) {
    startLock_->unlock();
    return false;
  }
  // Without a channel this start still runs; a later one then runs beside it.
  listener_ = raise_channel::listen(runtime, name_, std::move(raise), &channelProblem_);
  startLock_->unlock();
  return true;
}

}  // namespace pelnor
