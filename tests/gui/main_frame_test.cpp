// The main window as a user drives it: selectors, paging keys, views, enable rules.
#include <QAction>
#include <QComboBox>
#include <QTest>

#include "app/frame_switch_wnd.h"
#include "gui_fixture.h"

namespace pelnor {
namespace {

using namespace test;

class MainFrameTest : public GuiTest {
 protected:
  void SetUp() override {
    storeMonth(2024, 1, {5, 31}, 3000);
    storeMonth(2024, 2, {1, 2}, 500);
    storeMonth(2024, 3, {1});
    open();
  }
  QString dateText() const { return frame->periodBar().dateSelector().currentText(); }
  void trigger(int id) { frame->action(id)->trigger(); }
};

TEST_F(MainFrameTest, BeforeAnyDataTheSelectorsHoldTodayAndAreDisabled) {
  EXPECT_EQ(frame->periodBar().kindSelector().count(), 3);  // 日別, 月別, 年別
  EXPECT_EQ(frame->periodBar().dateSelector().count(), 1);
  EXPECT_EQ(dateText(), QString::fromStdString(monthText(Period::Day, DateTime::now())));
  EXPECT_EQ(frame->periodBar().scaleSelector().count(), 15);
  EXPECT_EQ(frame->periodBar().scaleSelector().itemText(0), "      5");  // the top of an axis of 5 steps
  EXPECT_EQ(frame->periodBar().scaleSelector().itemText(14), " 250000");
  for (QComboBox* selector : {&frame->periodBar().kindSelector(), &frame->periodBar().dateSelector(),
                              &frame->periodBar().scaleSelector()}) {
    EXPECT_FALSE(selector->isEnabled());
  }
  for (int id : {cmd::kCsvExport, cmd::kPrint, cmd::kRawExport, cmd::kVctChange, cmd::kSheet, cmd::kGraph,
                 cmd::kReport, cmd::kPreviousDate, cmd::kNextDate}) {
    EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
  }
  EXPECT_TRUE(frame->action(cmd::kPastData)->isEnabled());
  EXPECT_EQ(doc.viewKind(), ViewKind::Graph) << "the graph is the first display";
  EXPECT_EQ(frame->windowTitle(), "ペルノー");
}

TEST_F(MainFrameTest, PastDataSelectsTheOldestItemAndThePagingKeysStopAtTheEnds) {
  frame->showPastData(12, DateTime::fromFields(2024, 3, 1), 3);
  ASSERT_EQ(frame->periodBar().dateSelector().count(), 31 + 29 + 31);
  EXPECT_EQ(dateText(), "2024年 1月 1日");
  EXPECT_TRUE(frame->periodBar().dateSelector().isEnabled());
  EXPECT_TRUE(frame->action(cmd::kNextDate)->isEnabled());

  trigger(cmd::kPreviousDate);  // already the oldest
  EXPECT_EQ(dateText(), "2024年 1月 1日");
  trigger(cmd::kNextDate);
  EXPECT_EQ(dateText(), "2024年 1月 2日");
  frame->periodBar().dateSelector().setCurrentIndex(frame->periodBar().dateSelector().count() - 1);
  trigger(cmd::kNextDate);  // already the newest
  EXPECT_EQ(dateText(), "2024年 3月31日");

  // The arrow keys page wherever the focus is in the window.
  frame->periodBar().dateSelector().setFocus();
  QTest::keyClick(&frame->periodBar().dateSelector(), Qt::Key_Left);
  EXPECT_EQ(dateText(), "2024年 3月30日");
}

TEST_F(MainFrameTest, ChangingTheKindSelectsTheOldestItem) {
  frame->showPastData(12, DateTime::fromFields(2024, 3, 1), 3);
  frame->periodBar().dateSelector().setCurrentIndex(40);
  frame->periodBar().kindSelector().setCurrentIndex(1);
  Q_EMIT frame->periodBar().kindSelector().activated(1);
  ASSERT_EQ(frame->periodBar().dateSelector().count(), 3);
  EXPECT_EQ(dateText(), "2024年 1月");
  EXPECT_EQ(doc.display().period, Period::Month);
  EXPECT_TRUE(frame->action(cmd::kReport)->isEnabled()) << "the monthly report needs a month";
  frame->periodBar().kindSelector().setCurrentIndex(0);
  Q_EMIT frame->periodBar().kindSelector().activated(0);
  EXPECT_EQ(dateText(), "2024年 1月 1日");
  EXPECT_FALSE(frame->action(cmd::kReport)->isEnabled());
}

TEST_F(MainFrameTest, AChosenEnergyScaleStaysForTheDateAndGoesWithTheNext) {
  frame->showPastData(12, DateTime::fromFields(2024, 1, 1), 1);
  frame->periodBar().dateSelector().setCurrentIndex(4);  // 5 January: 3000 pulses, 3.6 kWh
  Q_EMIT frame->periodBar().dateSelector().activated(4);
  const int automatic = doc.display().energyScale;
  EXPECT_EQ(frame->periodBar().scaleSelector().currentIndex(), automatic);
  frame->periodBar().scaleSelector().setCurrentIndex(6);
  Q_EMIT frame->periodBar().scaleSelector().activated(6);
  EXPECT_EQ(doc.display().energyScale, 6);
  EXPECT_EQ(frame->periodBar().scaleSelector().currentIndex(), 6);
  trigger(cmd::kPreviousDate);
  trigger(cmd::kNextDate);
  EXPECT_EQ(doc.display().energyScale, automatic);
  EXPECT_EQ(frame->periodBar().scaleSelector().currentIndex(), automatic);
}

TEST_F(MainFrameTest, SwitchingBackShowsTheSameViewObject) {
  frame->showPastData(12, DateTime::fromFields(2024, 1, 1), 1);
  QWidget* graph = frame->switchFrame().currentWidget();
  ASSERT_EQ(graph->objectName(), "CViewGraph");
  trigger(cmd::kSheet);
  EXPECT_EQ(frame->switchFrame().currentWidget()->objectName(), "CViewSheet");
  EXPECT_TRUE(frame->action(cmd::kSheet)->isChecked());
  EXPECT_FALSE(frame->periodBar().scaleSelector().isEnabled()) << "no energy scale on the table";
  trigger(cmd::kGraph);
  EXPECT_EQ(frame->switchFrame().currentWidget(), graph);
  EXPECT_TRUE(frame->periodBar().scaleSelector().isEnabled());
}

TEST_F(MainFrameTest, ViewModeOfAnotherFolder) {
  TempDir other;
  DeviceRegistry registry;
  DeviceRecord device = DeviceRecord::makeNew({});
  device.deviceId = 77;
  registry.put(device);
  registry.save(other.path(), app.storage);
  app.location.choose(other.path().string(), false, app.reporter);
  app.registry.load(app.location.root(), app.storage);
  Q_EMIT doc.updated(CPelnorDoc::kHintReloaded);

  EXPECT_EQ(frame->windowTitle(), "ペルノー（ビューモード）");
  for (int id : {cmd::kDeviceSettings, cmd::kCollect, cmd::kReadFile, cmd::kDataCopy}) {
    EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
  }
  EXPECT_TRUE(frame->action(cmd::kPastData)->isEnabled()) << "the way back to the own data";

  // Closing in view mode never writes the other folder's master.
  const std::string before = readFile(other / "MCDATA.MST");
  app.registry.put(DeviceRecord::makeNew({}));
  frame->close();
  EXPECT_EQ(readFile(other / "MCDATA.MST"), before);
}

// Another program (pelnor-cli restore, a second user's window) saves the master while the
// window is open: closing the window keeps that program's devices beside this window's.
TEST_F(MainFrameTest, ClosingKeepsTheDevicesAnotherProgramSaved) {
  DeviceRegistry other;
  ASSERT_TRUE(other.load(dir.path(), app.storage));
  DeviceRecord theirs = DeviceRecord::makeNew({});
  theirs.deviceId = 40;
  theirs.customerName = "他社";
  other.put(theirs);
  ASSERT_TRUE(other.save(dir.path(), app.storage));

  DeviceRecord ours = DeviceRecord::makeNew({});
  ours.deviceId = 13;
  app.registry.put(ours);
  frame->close();
  DeviceRegistry stored;
  ASSERT_TRUE(stored.load(dir.path(), app.storage));
  ASSERT_EQ(stored.count(), 3);
  EXPECT_EQ(stored.deviceAt(0).deviceId, 12);
  EXPECT_EQ(stored.deviceAt(1).deviceId, 13);
  EXPECT_EQ(stored.deviceAt(2).customerName, "他社");
}

TEST_F(MainFrameTest, TheStoredPlacementIsUsedOnlyOnThisInstallation) {
  CAppSettings settings;
  settings.placementValid = 1;
  // Wider than the window's least width with either platform's fonts, inside the 800 x 600
  // offscreen screen.
  settings.windowPlacement.left = 10;
  settings.windowPlacement.top = 20;
  settings.windowPlacement.right = 790;
  settings.windowPlacement.bottom = 580;
  settings.installationChanged = 1;
  frame->applyPlacement(settings);
  EXPECT_NE(frame->geometry().size(), QSize(780, 560)) << "saved on another installation";
  settings.installationChanged = 0;
  frame->applyPlacement(settings);
  EXPECT_EQ(frame->geometry(), QRect(10, 20, 780, 560));

  // Closed maximised: the normal rectangle is kept with the restore-to-maximised flag.
  frame->showMaximized();
  doc.close(*frame);
  EXPECT_EQ(app.settings.windowPlacement.flags, 2u);
  EXPECT_EQ(app.settings.placementValid, 1);
}

}  // namespace
}  // namespace pelnor
