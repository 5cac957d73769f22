// A small looping animation shown while the program works: a ring of dots whose bright
// dot goes round.
#pragma once

#include <QTimer>
#include <QWidget>

namespace pelnor {

class BusyIndicator : public QWidget {
  Q_OBJECT

 public:
  explicit BusyIndicator(QWidget* parent = nullptr);
  void start();
  void stop();
  bool running() const { return timer_.isActive(); }
  QSize sizeHint() const override { return QSize(40, 40); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer timer_;
  int step_ = 0;
};

// The small window "ｲﾝﾌｫﾒｰｼｮﾝ" with the animation and a text, while a long task runs.
class BusyWindow : public QWidget {
  Q_OBJECT

 public:
  explicit BusyWindow(const QString& text, QWidget* parent = nullptr);
};

}  // namespace pelnor
