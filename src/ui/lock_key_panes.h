// The CAP, NUM and SCRL panes of the status bar: lit while their lock is on, looked at again
// whenever a lock key is let go or the program becomes active; greyed where the platform
// does not tell the locks.
#pragma once

#include <QLabel>
#include <QObject>
#include <array>

class QStatusBar;

namespace pelnor {

class LockKeyPanes : public QObject {
 public:
  explicit LockKeyPanes(QStatusBar& bar);

  void refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::array<QLabel*, 3> panes_{};
};

}  // namespace pelnor
