// One running Pelnor per user: the first start listens under a name made of the program's and
// the user's; a later start asks it to come to the front and ends.
#pragma once

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

  // name: the channel's name; by default the program's name and the user's.
  explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when no other instance runs: this one then answers later starts with raise.
  // False when another runs: it has been asked to come to the front.
  bool claim(std::function<void()> raise);

  // Why this instance answers no later start (it runs, but a later one then runs beside
  // it); empty when it does.
  const QString& channelProblem() const { return channelProblem_; }

  static QString defaultName();
  // Where the start lock and, on Linux, the socket live: the user's runtime folder.
  static QString folder();

 private:
  QString name_;
  std::unique_ptr<QLockFile> startLock_;
  std::unique_ptr<QObject> listener_;
  QString channelProblem_;
};

}  // namespace pelnor
