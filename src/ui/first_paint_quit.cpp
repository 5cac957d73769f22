#include "ui/first_paint_quit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace pelnor {

namespace {

// Ends the event loop once the window's first update has been painted and put on screen.
class FirstPaintQuit : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::UpdateRequest) {
      // The painting happens in this event; the quit is queued behind it, and says when the
      // paint was done on the monotonic clock, which the measuring parent shares.
      QTimer::singleShot(0, qApp, [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("first paint done at %lld ns\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        QCoreApplication::quit();
      });
      watched->removeEventFilter(this);
    }
    return false;
  }
};

}  // namespace

void quitAfterFirstPaintWhenAsked(QWidget& window) {
  if (qEnvironmentVariableIsEmpty("PELNOR_QUIT_AFTER_FIRST_PAINT")) return;
  window.installEventFilter(new FirstPaintQuit(&window));
}

}  // namespace pelnor
