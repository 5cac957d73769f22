// The window's side of a wait for a file that another program holds: the wait cursor for
// a moment, then a small window that names the file, keeps turning while the rest of the
// program repaints and answers, and ends the wait at once with キャンセル.
#pragma once

#include <QDialog>
#include <memory>

#include "data/reporter.h"

class QLabel;
class QPushButton;

namespace pelnor {

class GuiReporter;

class HeldFileDialog : public QDialog {
  Q_OBJECT

 public:
  HeldFileDialog(const QString& text, QWidget* parent);
  QString text() const;
  QPushButton& cancelButton() { return *cancel_; }

 private:
  QLabel* text_;
  QPushButton* cancel_;
};

// A wait shown through reporter, from the window's thread or a worker: on the window's
// thread its pauses run the event loop while the dialog is up; a worker's pauses sleep.
std::unique_ptr<HeldFileWait> makeHeldFileWait(GuiReporter& reporter, const QString& text);

}  // namespace pelnor
