// One running Pelnor per user: the first start listens on a local socket named after the
// program and the user; a later start asks it to come to the front and ends.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace pelnor {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kBaseName = "20030916Pelnor";

  // name: the socket's name; by default the program's name and the user's.
  explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);

  // True when no other instance runs: this one then answers later starts with raise.
  // False when another runs: it has been asked to come to the front.
  bool claim(std::function<void()> raise);

  static QString defaultName();

 private:
  QString name_;
  std::unique_ptr<QLockFile> startLock_;
  QLocalServer server_;
  std::function<void()> raise_;
};

}  // namespace pelnor
