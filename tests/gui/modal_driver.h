// Answers the modal windows a test opens, as a user would: each step waits for a modal
// window that it can handle, handles it and is done. Runs from the nested event loops of
// the modal windows themselves.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>

namespace pelnor::test {

class ModalDriver {
 public:
  // A step gets the modal window and says whether it handled it.
  using Step = std::function<bool(QWidget* modal)>;

  ModalDriver() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start(15);
  }
  void then(Step step) { steps_.push_back(std::move(step)); }
  // Answers the next message box with a button, keeping its text.
  void answer(QMessageBox::StandardButton button) {
    then([this, button](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (!box || !box->button(button)) return false;
      texts.push_back(box->text());
      box->button(button)->click();
      return true;
    });
  }
  bool done() const { return steps_.empty(); }

  QStringList texts;  // of the message boxes answered

 private:
  void poll() {
    if (steps_.empty()) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && steps_.front()(modal)) steps_.pop_front();
  }

  QTimer timer_;
  std::deque<Step> steps_;
};

}  // namespace pelnor::test
