#include "ui/first_paint_quit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace pelnor {

namespace {

// Ends the event loop once the window's first update has been painted and put on screen.
class FirstPaintQuit : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::UpdateRequest) {
      // The painting happens in this event; the quit is queued behind it.
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
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
