// The device settings and communication settings dialogs.
#include <QComboBox>
#include <QLineEdit>

#include "data/file_lock.h"
#include "dialogs/set_mc.h"
#include "dialogs/set_serial.h"
#include "gui_fixture.h"
#include "modal_driver.h"
#include "ui/device_list.h"

namespace pelnor {
namespace {

using namespace test;

class DeviceSettingsTest : public GuiTest {
 protected:
  void SetUp() override { app.registry.load(app.location.root(), app.storage); }
  std::unique_ptr<CSetMc> openDialog() {
    return std::make_unique<CSetMc>(app, [] { return std::vector<int>{}; });
  }
  void edit(CSetMc& dialog, const char* id, const char* name, int vctRow) {
    dialog.idEdit().setText(id);
    dialog.nameEdit().setText(name);
    dialog.vctList().setCurrentIndex(vctRow);
  }
  // Another window on the same root names devices (registering those it lacks) and saves.
  void anotherWindowSaves(const std::vector<std::pair<int32_t, const char*>>& names) {
    DeviceRegistry other;
    ASSERT_TRUE(other.load(app.location.root(), app.storage));
    for (const auto& [id, name] : names) {
      DeviceRecord device;
      other.find(id, device);
      device.deviceId = id;
      device.customerName = name;
      other.put(device);
    }
    ASSERT_TRUE(other.save(app.location.root(), app.storage));
  }
  QStringList listed(CSetMc& dialog) {
    QStringList rows;
    DeviceList& list = dialog.deviceList();
    for (int r = 0; r < list.model()->rowCount(); ++r) {
      rows << list.text(r, 0) + "|" + list.text(r, 1) + "|" + list.text(r, 2);
    }
    return rows;
  }
};

TEST_F(DeviceSettingsTest, AddAsksBeforeOverwritingAndOkSavesTheMaster) {
  auto dialog = openDialog();
  EXPECT_EQ(listed(*dialog), QStringList{"12|山田|5"});
  EXPECT_EQ(dialog->idEdit().text(), "12") << "the first row is selected";

  edit(*dialog, "100", "百番", 1);
  dialog->onAdd();
  EXPECT_EQ(listed(*dialog), (QStringList{"12|山田|5", "100|百番|10"}));

  ModalDriver driver;
  driver.answer(QMessageBox::No);
  edit(*dialog, "12", "上書き", 2);
  dialog->onAdd();
  EXPECT_EQ(driver.texts, QStringList{"指定の機器ＩＤは既に登録済みです\nこの設定内容で上書きしますか"});
  EXPECT_EQ(listed(*dialog)[0], "12|山田|5") << "No keeps the old record";

  dialog->accept();
  DeviceRegistry saved;
  ASSERT_TRUE(saved.load(app.location.root(), app.storage));
  ASSERT_EQ(saved.count(), 2);
  EXPECT_EQ(saved.deviceAt(1).multiplier, 120);
  EXPECT_EQ(saved.deviceAt(1).primaryCurrent, 10);
}

TEST_F(DeviceSettingsTest, UpdateWithAnotherIdAddsADevice) {
  auto dialog = openDialog();
  ModalDriver driver;
  driver.answer(QMessageBox::Yes);
  edit(*dialog, "13", "十三", 0);
  dialog->onUpdate();
  EXPECT_EQ(listed(*dialog), (QStringList{"12|山田|5", "13|十三|5"}));
}

TEST_F(DeviceSettingsTest, ANameCp932CannotHoldIsRefusedNamingItsCharacters) {
  auto dialog = openDialog();
  const std::pair<const char*, void (CSetMc::*)()> actions[] = {{"add", &CSetMc::onAdd},
                                                                {"update", &CSetMc::onUpdate}};
  for (const auto& [name, action] : actions) {
    SCOPED_TRACE(name);
    ModalDriver driver;
    // The refusal is answered with OK; a question instead (the name taken) with No.
    driver.then([&driver](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (!box) return false;
      driver.texts.push_back(box->text());
      (box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok) : box->button(QMessageBox::No))->click();
      return true;
    });
    edit(*dialog, "12", "テスト工場😀鷗😀", 0);
    (dialog.get()->*action)();
    ASSERT_TRUE(driver.done()) << "no message";
    ASSERT_EQ(driver.texts.size(), 1);
    EXPECT_TRUE(driver.texts[0].endsWith("\n😀 鷗")) << driver.texts[0].toStdString();
    EXPECT_FALSE(driver.texts[0].contains("テスト工場"));
    EXPECT_EQ(listed(*dialog), QStringList{"12|山田|5"}) << "nothing stored";
  }
}

TEST_F(DeviceSettingsTest, DeleteRemovesTheFolderEvenWhenTheDialogIsCancelled) {
  storeMonth(2024, 1, {1});
  DataLocation::createFolderPath(app.location.deviceFolder(13));  // a neighbour's folder stays
  auto dialog = openDialog();
  ModalDriver driver;
  driver.answer(QMessageBox::Yes);
  dialog->onDelete();
  ASSERT_TRUE(driver.done());
  EXPECT_TRUE(driver.texts.front().endsWith("ID=12"));
  EXPECT_FALSE(std::filesystem::exists(app.location.deviceFolder(12)));
  EXPECT_TRUE(std::filesystem::exists(app.location.deviceFolder(13)));
  EXPECT_TRUE(listed(*dialog).isEmpty());
  dialog->reject();
  EXPECT_EQ(app.registry.count(), 1) << "the device comes back, its readings do not";
}

TEST_F(DeviceSettingsTest, ErasingAllDataLeavesTheListAlone) {
  storeMonth(2024, 1, {1});
  auto dialog = openDialog();
  ModalDriver driver;
  driver.answer(QMessageBox::No);   // not only the selected device's...
  driver.answer(QMessageBox::Yes);  // ...but all of them
  dialog->onErase();
  ASSERT_TRUE(driver.done());
  EXPECT_TRUE(driver.texts[0].endsWith("選択機器ID=12"));
  EXPECT_EQ(driver.texts[1], "全ての機器データを削除します\n本当によろしいですか");
  EXPECT_FALSE(std::filesystem::exists(app.location.dataFolder()));
  EXPECT_TRUE(std::filesystem::exists(app.location.masterFile()));
  EXPECT_EQ(listed(*dialog), QStringList{"12|山田|5"});
}

// Another window on the same root renamed device 12 and added 13 while this one had the
// dialog open. Renaming 12 here too asks on OK which name stays, showing both; 13 stays
// either way, and the list shows the name that was kept.
TEST_F(DeviceSettingsTest, OkAsksWhichNameStaysWhereAnotherWindowRenamedTheDevice) {
  const std::string original = readFile(app.location.masterFile());
  for (QMessageBox::StandardButton button : {QMessageBox::Yes, QMessageBox::No}) {
    const bool mine = button == QMessageBox::Yes;
    SCOPED_TRACE(mine ? "keep mine" : "keep theirs");
    writeFile(app.location.masterFile(), original);
    app.registry.load(app.location.root(), app.storage);
    auto dialog = openDialog();
    anotherWindowSaves({{12, "他の名前"}, {13, "十三"}});

    ModalDriver driver;
    driver.answer(QMessageBox::Yes);  // update the selected device
    QStringList buttons;
    driver.then([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (!box || !box->button(button)) return false;
      driver.texts.push_back(box->text());
      buttons << box->button(QMessageBox::Yes)->text() << box->button(QMessageBox::No)->text();
      box->button(button)->click();
      return true;
    });
    edit(*dialog, "12", "自分の名前", 1);
    dialog->onUpdate();
    dialog->accept();
    ASSERT_TRUE(driver.done());
    EXPECT_EQ(driver.texts.value(1),
              "機器ＩＤ 12 の設定は他のプログラムでも変更されました\n需要家名\n　自分の変更：自分の名前\n"
              "　他のプログラムの変更：他の名前\nどちらの変更を残しますか");
    EXPECT_EQ(buttons, (QStringList{"自分の変更を残す(&M)", "他のプログラムの変更を残す(&T)"}));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    auto reopened = openDialog();
    EXPECT_EQ(listed(*reopened), (QStringList{mine ? "12|自分の名前|10" : "12|他の名前|10", "13|十三|5"}))
        << "our VCT choice, which the other window left alone, stays either way";
    DeviceRegistry stored;
    ASSERT_TRUE(stored.load(app.location.root(), app.storage));
    EXPECT_EQ(stored.serialize(), app.registry.serialize());
  }
}

// A save that fails leaves the dialog open on what the master holds (another window's
// rename), not on the device it could not save; Cancel then keeps that.
TEST_F(DeviceSettingsTest, AfterAFailedSaveTheDialogShowsWhatIsStored) {
  app.storage.retry = OpenRetry{10, 50, 50};
  auto dialog = openDialog();
  anotherWindowSaves({{12, "他の名前"}});

  edit(*dialog, "100", "百番", 1);
  dialog->onAdd();
  EXPECT_EQ(listed(*dialog), (QStringList{"12|山田|5", "100|百番|10"}));
  FileLock held;
  ASSERT_EQ(acquireFileLock(held, app.location.root() / kMasterLockName, 0, app.reporter), kOpenOk);
  ModalDriver driver;
  driver.answer(QMessageBox::Ok);  // busy
  driver.answer(QMessageBox::Ok);  // shown as stored
  dialog->accept();
  ASSERT_TRUE(driver.done());
  EXPECT_TRUE(driver.texts[0].startsWith("他のプログラムがデータを更新中のため、保存出来ません"));
  EXPECT_EQ(driver.texts[1], "機器の設定を保存出来なかったため、保存されている内容を表示します");
  EXPECT_NE(dialog->result(), QDialog::Accepted) << "still open";
  EXPECT_EQ(listed(*dialog), QStringList{"12|他の名前|5"});
  EXPECT_EQ(dialog->idEdit().text(), "12");
  EXPECT_EQ(dialog->nameEdit().text(), "他の名前");

  dialog->reject();
  EXPECT_EQ(listed(*openDialog()), QStringList{"12|他の名前|5"});
}

TEST(CommSettingsTest, PortPreselectionAndTheValuesTakenBack) {
  struct Case {
    std::vector<int> found;
    int32_t currentPort;
    int32_t currentBaud;
    QString selectedPort;
    QString selectedBaud;
  } cases[] = {
      {{3, 12}, 1, 9600, "COM12 (/dev/p12)", "9600"},  // the first entry that begins with COM1
      {{10}, 1, 38400, "COM10 (/dev/p10)", "38400"},
      {{2}, 5, 38400, "COM2 (/dev/p2)", "38400"},      // none begins with COM5: entry 0
      {{3, 17}, 17, 1234, "COM17 (/dev/p17)", "110"},  // 17 is not a fixed row: COM1 is looked for
      {{}, 7, 256000, "COM7", "256000"},               // nothing found: the fixed list
  };
  for (const Case& c : cases) {
    CommSettings current = kDefaultCommSettings;
    current[0] = c.currentPort;
    current[1] = c.currentBaud;
    CSetSerial dialog(
        current, [&] { return c.found; }, [](int n) { return "/dev/p" + std::to_string(n); });
    QComboBox& ports = dialog.list(1016);
    EXPECT_EQ(ports.count(), c.found.empty() ? 15 : static_cast<int>(c.found.size()));
    EXPECT_EQ(ports.currentText(), c.selectedPort) << c.currentPort;
    EXPECT_EQ(dialog.list(1017).currentText(), c.selectedBaud);
    const int expectedPort = c.selectedPort.mid(3).section(' ', 0, 0).toInt();
    EXPECT_EQ(dialog.settings()[0], expectedPort);
  }
  // Stop bits and parity keep their places in the stored six.
  CSetSerial dialog(
      {3, 9600, 7, 2, 1, 2}, [] { return std::vector<int>{}; }, [](int) { return std::string(); });
  EXPECT_EQ(dialog.list(1018).currentText(), "7");
  EXPECT_EQ(dialog.list(1019).currentText(), "奇数");
  EXPECT_EQ(dialog.list(1020).currentText(), "2");
  EXPECT_EQ(dialog.list(1021).currentText(), "Xon/Xoff");
  EXPECT_EQ(dialog.settings(), (CommSettings{3, 9600, 7, 2, 1, 2}));

  // The terminal interface cannot set 4 data bits or 1.5 stop bits: listed, but disabled
  // with the reason; the others stay enabled. Windows' serial driver takes them all.
  auto enabled = [](QComboBox& combo, int row) {
    return combo.model()->flags(combo.model()->index(row, 0)).testFlag(Qt::ItemIsEnabled);
  };
#ifdef _WIN32
  constexpr bool kFourBitsAndOneAndAHalf = true;
#else
  constexpr bool kFourBitsAndOneAndAHalf = false;
#endif
  const struct {
    int list, row;
    bool enabled;
  } rows[] = {{1018, 0, kFourBitsAndOneAndAHalf}, {1018, 1, true}, {1018, 4, true}, {1020, 0, true},
              {1020, 1, kFourBitsAndOneAndAHalf}, {1020, 2, true}};
  for (const auto& r : rows) {
    QComboBox& combo = dialog.list(r.list);
    EXPECT_EQ(enabled(combo, r.row), r.enabled) << r.list << " " << r.row;
    const QString tip = combo.model()->index(r.row, 0).data(Qt::ToolTipRole).toString();
    EXPECT_EQ(tip.startsWith("この環境では設定できません"), !r.enabled) << r.list << " " << r.row;
  }
}

}  // namespace
}  // namespace pelnor
