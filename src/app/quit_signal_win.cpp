// The polite end on Windows: Ctrl+C, Ctrl+Break or closing the console the program was
// started from, and a log-off or shut-down, which Windows first asks the window about.
#include <windows.h>

#include <QGuiApplication>
#include <QPointer>
#include <QSessionManager>

#include "app/quit_signal.h"

namespace pelnor {

namespace {

QPointer<QObject> quitContext;
std::function<void()> quitAction;

// Runs on a thread of its own; the process ends when it returns, so it waits until the
// window has closed and saved.
BOOL WINAPI onConsoleEvent(DWORD) {
  if (!quitContext) return FALSE;
  QMetaObject::invokeMethod(quitContext, quitAction, Qt::BlockingQueuedConnection);
  return TRUE;
}

}  // namespace

void quitOnTerminationSignals(QObject& context, std::function<void()> quit) {
  quitContext = &context;
  quitAction = quit;
  ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
  // WM_QUERYENDSESSION: the master and the settings are saved before Windows ends the session.
  QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, &context,
                   [quit = std::move(quit)](QSessionManager&) { quit(); });
}

}  // namespace pelnor
