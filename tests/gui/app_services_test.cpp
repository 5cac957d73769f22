// The window's services to the core: one instance per user, and a reporter that a
// worker thread may call.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/single_instance.h"
#include "ui/gui_reporter.h"

namespace pelnor {
namespace {

TEST(SingleInstanceTest, ASecondStartHandsOverAndEnds) {
#ifdef _WIN32
  // With both ends in one thread the server never sees the message under Wine; two
  // processes are tested by scripts/test-windows-window.
  GTEST_SKIP() << "both ends in one thread";
#endif
  const QString name = QStringLiteral("pelnor-test-%1").arg(QApplication::applicationPid());
  SingleInstance first(name);
  bool raised = false;
  ASSERT_TRUE(first.claim([&] { raised = true; }));

  SingleInstance second(name);
  EXPECT_FALSE(second.claim([] {}));
  QElapsedTimer timer;
  timer.start();
  while (!raised && timer.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_TRUE(raised) << "the first instance was asked to come to the front";
}

TEST(GuiReporterTest, AWorkerIsAnsweredWhileTheWindowKeepsWorking) {
  GuiReporter reporter;
  std::atomic<int> ticks{0};
  QTimer ticking;
  QObject::connect(&ticking, &QTimer::timeout, [&] { ++ticks; });
  ticking.start(10);

  QString shownTitle, shownText;
  QTimer answering;
  QObject::connect(&answering, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || ticks < 5) return;  // let the window work a little while the box is open
    shownTitle = box->windowTitle();
    shownText = box->text();
    box->button(QMessageBox::Yes)->click();
  });
  answering.start(20);

  std::atomic<bool> done{false};
  bool answer = false;
  std::thread worker([&] {
    answer = reporter.askYesNo("機器情報に間違いはありませんか？");
    done = true;
  });
  QElapsedTimer timer;
  timer.start();
  while (!done && timer.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  worker.join();
  EXPECT_TRUE(answer);
  EXPECT_EQ(shownTitle, "ペル・ノー");
  EXPECT_EQ(shownText, "機器情報に間違いはありませんか？");
  EXPECT_GE(ticks, 5) << "events were handled while the worker waited";
}

}  // namespace
}  // namespace pelnor
