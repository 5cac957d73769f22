// Collecting in the window: the reception dialog from the main frame, end to end.
#include <QComboBox>
#include <QElapsedTimer>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <thread>

#include "dialogs/comm_read.h"
#include "gui_fixture.h"
#include "modal_driver.h"
#include "support/pty_pair.h"

namespace pelnor {
namespace {

using namespace test;

class CollectTest : public GuiTest {
 protected:
  void SetUp() override {
    DeviceRegistry registry;
    for (int32_t id : {12, 100}) {
      DeviceRecord device = DeviceRecord::makeNew({});
      device.deviceId = id;
      device.customerName = id == 100 ? "百番" : "山田";
      registry.put(device);
    }
    registry.save(dir.path(), app.storage);
    open();
  }
  // Clicks "中断／戻る" of the reception dialog once its status reads status (any when empty).
  using Step = ModalDriver::Step;
  // seenDialog: what the dialog showed at that moment.
  struct Seen {
    QString problem, lastTip;  // lastTip: of the last row
    bool rowsCut = false;
    bool widenable = false;
  };
  Step pressStop(const QString& status, QString* seen = nullptr, Seen* seenDialog = nullptr) {
    return [status, seen, seenDialog](QWidget* modal) {
      auto* dialog = qobject_cast<CCommRead*>(modal);
      if (!dialog || (!status.isEmpty() && dialog->statusText() != status)) return false;
      if (seen) *seen = dialog->rows().stringList().join('\n');
      if (seenDialog) {
        seenDialog->problem = dialog->problemText();
        QStringListModel& rows = dialog->rows();
        const QStringList texts = rows.stringList();
        const QModelIndex last = rows.index(static_cast<int>(texts.size()) - 1);
        seenDialog->lastTip = rows.data(last, Qt::ToolTipRole).toString();
        auto* list = dialog->findChild<QListView*>(kReceivedLinesName);
        seenDialog->rowsCut =
            list->fontMetrics().horizontalAdvance(rows.data(last).toString()) > list->viewport()->width();
        seenDialog->widenable = dialog->maximumWidth() > dialog->width() && dialog->isSizeGripEnabled();
      }
      dialog->findChild<QPushButton*>(kStopButtonName)->click();
      return true;
    };
  }
  std::filesystem::path monthFile(int32_t id, const DateTime& date) const {
    return app.location.monthFile(id, date);
  }
  QString shownDay() const { return frame->periodBar().dateSelector().currentText(); }
};

TEST_F(CollectTest, TheSimulatedDeviceIsConfirmedSavedAndItsLastDayShown) {
  app.settings.noSerialPort = 1;
  ModalDriver driver;
  driver.answer(QMessageBox::Yes);
  frame->collect({});
  ASSERT_TRUE(driver.done());
  EXPECT_TRUE(driver.texts.front().startsWith("機器ＩＤ【 100 】番\n需要家名【 百番 】"));
  DateTime first, last;
  ASSERT_TRUE(app.history.firstAndLast(first, last));
  EXPECT_TRUE(std::filesystem::exists(monthFile(100, last)));
  EXPECT_EQ(app.history.device.deviceId, 100);
  EXPECT_TRUE(frame->periodBar().dateSelector().isEnabled());
  EXPECT_EQ(frame->periodBar().kindSelector().currentIndex(), 0);
  // The day of the last reading: the simulated device sends up to now.
  const std::string today = monthText(Period::Day, DateTime::now());
  const std::string yesterday = monthText(Period::Day, DateTime::now().addDays(-1));
  EXPECT_TRUE(shownDay().toStdString() == today || shownDay().toStdString() == yesterday)
      << shownDay().toStdString();
}

TEST_F(CollectTest, AnsweringNoWritesNothingAndShowsThePreviousData) {
  storeMonth(2024, 1, {5});
  frame->showPastData(12, DateTime::fromFields(2024, 1, 1), 1);
  frame->periodBar().dateSelector().setCurrentIndex(4);
  frame->ApplySelection(true, true);
  app.settings.noSerialPort = 1;
  ModalDriver driver;
  driver.answer(QMessageBox::No);
  frame->collect({});
  ASSERT_TRUE(driver.done());
  EXPECT_FALSE(std::filesystem::exists(app.location.deviceFolder(100)));
  ASSERT_EQ(app.history.months.size(), 1u);
  EXPECT_EQ(app.history.device.deviceId, 12);
  EXPECT_EQ(app.history.months[0].days[4].readings.size(), 1u);
  EXPECT_EQ(frame->periodBar().dateSelector().count(), 31);
}

TEST_F(CollectTest, AnUnregisteredIdShowsTheProblemAndWaitsForTheUser) {
  writeFile(dir / "in.txt", "55\r\n24/01/31 10:00,0030,21\r\n");
  ModalDriver driver;
  QString rows;
  Seen seen;
  driver.then(pressStop("受信処理で問題が発生しました", &rows, &seen));
  frame->collect(dir / "in.txt");
  ASSERT_TRUE(driver.done());
  EXPECT_TRUE(rows.contains("受信した機器ＩＤ = 55")) << rows.toStdString();
  // The row is longer than the list: its tooltip, the problem line and a wider dialog
  // show the ID, and the problem stays beside the final status.
  EXPECT_TRUE(seen.rowsCut) << "the case this guards";
  EXPECT_TRUE(seen.lastTip.endsWith("受信した機器ＩＤ = 55")) << seen.lastTip.toStdString();
  EXPECT_TRUE(seen.problem.endsWith("受信した機器ＩＤ = 55")) << seen.problem.toStdString();
  EXPECT_TRUE(seen.widenable);
  EXPECT_FALSE(std::filesystem::exists(app.location.dataFolder()));
  EXPECT_TRUE(app.history.months.empty());
}

// A month that cannot be saved (a write-protected file): the failure stays in the list,
// and once the user closes it the window shows the month as it is stored, not the
// readings that were not saved.
TEST_F(CollectTest, AFailedSaveStaysListedAndTheWindowShowsWhatIsStored) {
  storeMonth(2024, 1, {5});
  const std::filesystem::path january = monthFile(12, DateTime::fromFields(2024, 1, 1));
  std::filesystem::permissions(january, std::filesystem::perms::owner_read);
  const std::string before = readFile(january);
  writeFile(dir / "in.txt", "12\r\n24/01/31 10:00,0030,21\r\n00/00/00 00:00,0000, 00\r\n");
  ModalDriver driver;
  QString rows;
  driver.answer(QMessageBox::Yes);  // the device is confirmed
  driver.answer(QMessageBox::Ok);   // the file cannot be written
  driver.then(pressStop("受信処理で問題が発生しました", &rows));
  frame->collect(dir / "in.txt");
  ASSERT_TRUE(driver.done());
  EXPECT_TRUE(driver.texts[1].startsWith("ファイルがライトオープン出来ません"))
      << driver.texts[1].toStdString();
  EXPECT_TRUE(rows.contains(QString::fromStdString("保存出来ませんでした:" + january.string())))
      << rows.toStdString();
  EXPECT_FALSE(rows.contains("集計完了"));
  EXPECT_EQ(readFile(january), before);
  ASSERT_EQ(app.history.months.size(), 1u);
  EXPECT_EQ(app.history.device.deviceId, 12);
  EXPECT_EQ(app.history.months[0].days[4].readings.size(), 1u);
  EXPECT_TRUE(app.history.months[0].days[30].readings.empty()) << "the unsaved reading is not shown";
  EXPECT_TRUE(frame->periodBar().dateSelector().isEnabled());
}

TEST_F(CollectTest, CancelWhileWaitingForTheDeviceIsQuickAndRestores) {
  storeMonth(2024, 1, {5});
  frame->showPastData(12, DateTime::fromFields(2024, 1, 1), 1);
  PtyPair pty;
  ASSERT_TRUE(pty.valid());
  writeFile(dir / "Pelnor.INI", "[SerialPorts]\r\nCOM1=" + pty.slavePath() + "\r\n");
  ModalDriver driver;
  QElapsedTimer pressed;
  driver.then([&](QWidget* modal) {
    auto* dialog = qobject_cast<CCommRead*>(modal);
    if (!dialog || dialog->statusText() != "機器からのデータ送信待ち") return false;
    pressed.start();
    dialog->findChild<QPushButton*>(kStopButtonName)->click();
    return true;
  });
  frame->collect({});
  ASSERT_TRUE(driver.done());
  EXPECT_LT(pressed.elapsed(), 1500);
  ASSERT_EQ(app.history.months.size(), 1u);
  EXPECT_EQ(app.history.months[0].days[4].readings.size(), 1u);
}

TEST_F(CollectTest, ACollectionThroughTheSerialLineNamedInTheSettings) {
  PtyPair pty;
  ASSERT_TRUE(pty.valid());
  writeFile(dir / "Pelnor.INI", "[SerialPorts]\r\nCOM1=" + pty.slavePath() + "\r\n");
  ModalDriver driver;
  driver.then([&](QWidget* modal) {
    auto* dialog = qobject_cast<CCommRead*>(modal);
    if (!dialog || dialog->statusText() != "機器からのデータ送信待ち") return false;
    pty.write("12\r\n24/05/01 10:00,0030,21\r\n24/05/02 23:30,0031,19\r\n00/00/00 00:00,0000, 00\r\n");
    return true;
  });
  driver.answer(QMessageBox::Yes);
  frame->collect({});
  ASSERT_TRUE(driver.done());
  MonthRecord may;
  ASSERT_TRUE(readMonthFile(monthFile(12, DateTime::fromFields(2024, 5, 1)), may, app.storage));
  EXPECT_EQ(may.days[1].readings.at(0), (Reading{23, 30, 31, 19}));
  EXPECT_EQ(shownDay(), "2024年 5月 2日");
}

}  // namespace
}  // namespace pelnor
