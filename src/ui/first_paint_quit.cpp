#include "ui/first_paint_quit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace pelnor {

namespace {

// Ends the event loop once the window has been painted for the first time and put on screen.
class FirstPaintQuit : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      // The window is painted before its children, in one pass that ends with the picture
      // sent to the screen: the quit is queued behind that pass, and says when it was done on
      // the monotonic clock, which the measuring parent shares. (Not at an update request:
      // one that comes before the window is exposed, as on X11 before the server has mapped
      // it, paints nothing.)
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
