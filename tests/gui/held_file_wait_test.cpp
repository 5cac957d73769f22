// A file another program holds: the window keeps repainting and answering while it waits,
// a small window names the file, and キャンセル ends the wait at once with nothing written.
#include <QAction>
#include <QPushButton>
#include <QThread>
#include <atomic>
#include <thread>

#include "app/frame_switch_wnd.h"
#include "data/file_lock.h"
#include "dialogs/set_mc.h"
#include "gui_fixture.h"
#include "modal_driver.h"
#include "support/held_file.h"
#include "ui/device_list.h"
#include "ui/held_file_dialog.h"

namespace pelnor {
namespace {

using namespace test;

// Counts the paint events of a widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

class HeldFileWaitTest : public GuiTest {
 protected:
  void SetUp() override {
    app.storage.retry.monthFileLimitMs = app.storage.retry.masterFileLimitMs = 60000;
    storeMonth(2024, 1, {5});
    writeFile(deviceLock(), "");
    writeFile(masterLock(), "");
  }
  std::filesystem::path deviceLock() const { return app.location.deviceFolder(12) / kDeviceLockName; }
  std::filesystem::path masterLock() const { return dir / kMasterLockName; }

  // The next step presses キャンセル in the wait's window once the window behind it has
  // painted again, keeping the wait's text. A message box instead (the wait ended without
  // its window being answered) is kept and closed, so that the test ends and fails.
  void cancelTheWaitAfterARepaint(ModalDriver& driver, QWidget* behind) {
    driver.then([this, behind](QWidget* modal) {
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        unexpected << box->text();
        box->button(QMessageBox::Ok)->click();
        return false;
      }
      auto* wait = qobject_cast<HeldFileDialog*>(modal);
      if (!wait) return false;
      if (behind) {
        if (!counter) {
          counter = std::make_unique<PaintCounter>(*behind);
          behind->update();
          return false;
        }
        if (counter->paints == 0) return false;
      }
      waitText = wait->text();
      wait->cancelButton().click();
      return true;
    });
  }

  std::unique_ptr<PaintCounter> counter;
  QString waitText;
  QStringList unexpected;
};

TEST_F(HeldFileWaitTest, TheVctChangeWaitsWithTheWindowAliveAndCancelWritesNothing) {
  open();
  frame->showPastData(12, DateTime::fromFields(2024, 1, 1), 1);
  const std::string before = readFile(app.location.monthFile(12, DateTime::fromFields(2024, 1, 1)));
  HeldFile other(deviceLock());
  ASSERT_TRUE(other.held());

  ModalDriver driver;
  driver.answer(QMessageBox::Yes);  // change the VCT of the day shown
  cancelTheWaitAfterARepaint(driver, frame.get());
  driver.answer(QMessageBox::Ok);
  frame->action(cmd::kVctChange)->trigger();

  ASSERT_TRUE(driver.done()) << unexpected.join("|").toStdString();
  EXPECT_GT(counter->paints, 0) << "the window painted while it waited";
  EXPECT_EQ(waitText, "他のプログラムがファイルを使用中のため、待っています（最長60秒）\n" +
                          QString::fromStdString(pathText(deviceLock())));
  EXPECT_EQ(driver.texts.last(), "他のプログラムがデータを更新中のため、保存を中止しました\n" +
                                     QString::fromStdString(pathText(app.location.deviceFolder(12))));
  EXPECT_EQ(readFile(app.location.monthFile(12, DateTime::fromFields(2024, 1, 1))), before);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "neither the wait cursor nor the arrow stays";
}

// A delete whose readings cannot go (the wait for them was given up) keeps its device.
TEST_F(HeldFileWaitTest, ADeviceDeleteGivenUpKeepsTheDeviceAndItsReadings) {
  app.registry.load(app.location.root(), app.storage);
  CSetMc dialog(app, [] { return std::vector<int>{}; });
  HeldFile other(deviceLock());
  ModalDriver driver;
  driver.answer(QMessageBox::Yes);
  cancelTheWaitAfterARepaint(driver, nullptr);
  driver.answer(QMessageBox::Ok);  // the save was stopped
  driver.answer(QMessageBox::Ok);  // the readings were not deleted
  dialog.onDelete();

  ASSERT_TRUE(driver.done()) << unexpected.join("|").toStdString();
  EXPECT_TRUE(waitText.endsWith(QString::fromStdString(pathText(deviceLock()))));
  EXPECT_TRUE(driver.texts.last().startsWith("データを削除出来ませんでした\n"));
  EXPECT_TRUE(std::filesystem::exists(app.location.monthFile(12, DateTime::fromFields(2024, 1, 1))));
  EXPECT_EQ(dialog.deviceList().model()->rowCount(), 1);
  EXPECT_EQ(app.registry.count(), 1);
}

// The reception's worker waits through the same window, and its キャンセル reaches it.
TEST_F(HeldFileWaitTest, AWorkersWaitShowsTheSameWindowAndEndsOnCancel) {
  HeldFile other(masterLock());
  std::atomic<int> result{1};
  std::atomic<bool> ended{false};
  std::thread worker([&] {
    FileLock lock;
    result = acquireFileLock(lock, masterLock(), 60000, app.guiReporter, 20);
    ended = true;
  });
  ModalDriver driver;
  cancelTheWaitAfterARepaint(driver, nullptr);
  while (!ended) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  worker.join();
  QApplication::processEvents();

  EXPECT_EQ(result, kOpenAbandoned) << unexpected.join("|").toStdString();
  EXPECT_TRUE(waitText.endsWith(QString::fromStdString(pathText(masterLock()))));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the wait's window is gone";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace pelnor
