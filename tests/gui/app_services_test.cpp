// The window's services to the core: one instance per user, and a reporter that a
// worker thread may call.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <cstring>
#include <functional>
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

#ifndef _WIN32
// A crashed instance leaves its socket behind; the next start must take its place, and only
// the user may talk to it.
TEST(SingleInstanceTest, ASocketLeftByACrashedInstanceIsReplaced) {
  const QString name = QStringLiteral("pelnor-stale-%1").arg(QApplication::applicationPid());
  const QByteArray path = QFile::encodeName(SingleInstance::folder() + "/" + name + ".socket");
  {
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);  // bound, never listening: what a killed instance leaves
  }
  ASSERT_TRUE(QFile::exists(QFile::decodeName(path)));

  bool raised = false;
  {
    SingleInstance first(name);
    ASSERT_TRUE(first.claim([&] { raised = true; })) << "a dead socket does not make a running instance";
    struct stat status {};
    ASSERT_EQ(::stat(path.constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    SingleInstance second(name);
    EXPECT_FALSE(second.claim([] {}));
    QElapsedTimer timer;
    timer.start();
    while (!raised && timer.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(raised);
  }
  EXPECT_FALSE(QFile::exists(QFile::decodeName(path))) << "an instance that ends removes its socket";
  SingleInstance afterwards(name);
  EXPECT_TRUE(afterwards.claim([] {}));
}

// Only a socket of this user is taken for one a crashed instance left. Anything else at
// that path is left as it is: the window starts without the hand-over and says why.
TEST(SingleInstanceTest, WhatIsNotASocketOfThisUserIsLeftAlone) {
  const QString name = QStringLiteral("pelnor-foreign-%1").arg(QApplication::applicationPid());
  const QByteArray path = QFile::encodeName(SingleInstance::folder() + "/" + name + ".socket");
  const QByteArray target = path + ".target";
  auto makeFile = [&](const QByteArray& file) {
    QFile out(QFile::decodeName(file));
    return out.open(QIODevice::WriteOnly) && out.write("someone's") == 9;
  };
  auto makeSocket = [&](uid_t owner) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    const bool made = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                      ::listen(fd, 8) == 0 && ::chown(path.constData(), owner, static_cast<gid_t>(-1)) == 0;
    return std::make_pair(made, fd);
  };
  struct Case {
    const char* what;
    std::function<bool()> make;
  } cases[] = {
      {"a regular file", [&] { return makeFile(path); }},
      {"a symbolic link",
       [&] { return makeFile(target) && ::symlink(target.constData(), path.constData()) == 0; }},
      {"a named pipe", [&] { return ::mkfifo(path.constData(), 0600) == 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.make());
    struct stat before {};
    ASSERT_EQ(::lstat(path.constData(), &before), 0);
    {
      SingleInstance first(name);
      EXPECT_TRUE(first.claim([] {})) << "the window still starts";
      EXPECT_TRUE(first.channelProblem().contains(QFile::decodeName(path)))
          << first.channelProblem().toStdString();
      SingleInstance second(name);
      EXPECT_TRUE(second.claim([] {})) << "nothing there is asked to come to the front";
    }
    struct stat after {};
    ASSERT_EQ(::lstat(path.constData(), &after), 0) << "left where it was";
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    if (S_ISREG(after.st_mode)) {
      EXPECT_EQ(QFile(QFile::decodeName(path)).size(), 9);
    }
    ::unlink(path.constData());
    ::unlink(target.constData());
  }

  // Another user's listening socket (only root can make one here) is neither asked nor replaced.
  if (::geteuid() != 0) return;
  auto [made, fd] = makeSocket(65534);
  ASSERT_TRUE(made);
  {
    SingleInstance first(name);
    EXPECT_TRUE(first.claim([] {}));
    EXPECT_FALSE(first.channelProblem().isEmpty());
  }
  const int connection = ::accept4(fd, nullptr, nullptr, SOCK_NONBLOCK);
  EXPECT_LT(connection, 0) << "it was asked to come to the front";
  if (connection >= 0) ::close(connection);
  struct stat after {};
  EXPECT_EQ(::lstat(path.constData(), &after), 0);
  EXPECT_EQ(after.st_uid, 65534u);
  ::close(fd);
  ::unlink(path.constData());
}
#endif

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
