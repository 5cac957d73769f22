// The core's way to the user in the window: message boxes titled "ペル・ノー", the beep,
// the wait cursor, the small window of a wait for a file another program holds. Safe to
// call from a worker thread: the call is handed to the GUI thread, which keeps handling
// events while the box is open, and the worker waits for the answer.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "data/reporter.h"

namespace pelnor {

inline const char* const kMessageTitle = "ペル・ノー";

class GuiReporter : public QObject, public Reporter {
  Q_OBJECT

 public:
  explicit GuiReporter(QObject* parent = nullptr) : QObject(parent) {}
  // The window the boxes belong to.
  void setParentWindow(QWidget* window);

  void info(const std::string& text) override;
  void error(const std::string& text) override;
  void plain(const std::string& text) override;
  bool askYesNo(const std::string& text) override;
  Answer askYesNoCancel(const std::string& text) override;
  Keep askWhichToKeep(const std::string& text) override;
  void beep() override;
  void beginWait() override;
  void endWait() override;
  // The wait cursor, and after a moment a small window that names the file and ends the
  // wait with キャンセル (HeldFileDialog).
  std::unique_ptr<HeldFileWait> waitForHeldFile(const std::string& file, int limitMs) override;

  QWidget* parentWindow() const { return window_; }

 private:
  // Runs show on the GUI thread and returns its result.
  int onGuiThread(const std::function<int()>& show);

  QPointer<QWidget> window_;
};

}  // namespace pelnor
