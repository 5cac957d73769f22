// Qt first: Xlib defines macros (Bool, Status, CursorShape) that Qt's headers would take.
#include <QGuiApplication>

#include "ui/lock_keys.h"

#include <X11/XKBlib.h>

namespace pelnor {

namespace {

bool indicatorOn(Display* display, const char* name) {
  Bool on = False;
  const Atom atom = XInternAtom(display, name, True);
  if (atom == None) return false;
  return XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr) && on;
}

}  // namespace

std::optional<LockKeys> readLockKeys() {
  const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return std::nullopt;
  return LockKeys{indicatorOn(display, "Caps Lock"), indicatorOn(display, "Num Lock"),
                  indicatorOn(display, "Scroll Lock")};
}

}  // namespace pelnor
