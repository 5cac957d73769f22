#include "dialogs/set_mc.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "comm/program_state.h"
#include "data/data_erase.h"
#include "data/text.h"
#include "ui/device_list.h"
#include "ui/gui_reporter.h"
#include "ui/input_label.h"

namespace pelnor {

namespace {

QString q(const std::string& utf8) { return QString::fromStdString(utf8); }

constexpr const char* kNamePrompt = "需要家名を入力してください";
constexpr const char* kShownAsStored = "機器の設定を保存出来なかったため、保存されている内容を表示します";

}  // namespace

CSetMc::CSetMc(ProgramState& app, CSetSerial::Scan scan, QWidget* parent)
    : QDialog(parent), app_(app), scan_(std::move(scan)), snapshot_{app.registry} {
  setObjectName("id134");
  setWindowTitle("機器の設定");
  setMinimumWidth(600);
  auto* layout = new QVBoxLayout(this);
  list_ = new DeviceList(app_.registry, this);
  list_->setAccessibleName("登録されている機器");
  layout->addWidget(list_, 1);

  auto* form = new QFormLayout;
  id_ = new QLineEdit("1", this);
  id_->setObjectName("id1008");
  name_ = new QLineEdit(kNamePrompt, this);
  name_->setObjectName("id1009");
  name_->setMaxLength(kMaxNameChars);
  vct_ = new QComboBox(this);
  vct_->setObjectName("id1010");
  for (const VctTable::Row& row : VctTable::kRows) vct_->addItem(q(formatText("%d", row.primaryCurrent)));
  vct_->setCurrentIndex(0);
  form->addRow(inputLabel("機器ＩＤ(&I)：", id_, this), id_);
  form->addRow(inputLabel("需要家名(&N)：", name_, this), name_);
  form->addRow(inputLabel("VCT（一次電流[A]）(&V)：", vct_, this), vct_);
  layout->addLayout(form);

  auto* buttons = new QGridLayout;
  struct Button {
    int id;
    const char* text;
    void (CSetMc::*action)();
  } actions[] = {{1011, "▲ 追加", &CSetMc::onAdd},
                 {1012, "▼ 削除", &CSetMc::onDelete},
                 {1013, "◇ 更新", &CSetMc::onUpdate},
                 {1014, "通信設定...", &CSetMc::onCommSettings},
                 {1039, "過去データの抹消", &CSetMc::onErase}};
  int column = 0;
  for (const Button& b : actions) {
    auto* button = new QPushButton(b.text, this);
    button->setObjectName(QStringLiteral("id%1").arg(b.id));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, b.action);
    buttons->addWidget(button, 0, column++);
  }
  layout->addLayout(buttons);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  box->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  layout->addWidget(box);
  connect(box, &QDialogButtonBox::accepted, this, &CSetMc::accept);
  connect(box, &QDialogButtonBox::rejected, this, &CSetMc::reject);
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CSetMc::onRowSelected);

  showDevices(app_.registry.count() > 0 ? app_.registry.deviceAt(0).deviceId : -1);
}

void CSetMc::showDevices(int32_t selectId) {
  QSignalBlocker block(list_->selectionModel());
  list_->refresh();
  list_->choose(app_.registry.positionOf(selectId));
  block.unblock();
  onRowSelected();
}

int CSetMc::selectedRow() const { return list_->selectedRow(); }

void CSetMc::onRowSelected() {
  const int row = selectedRow();
  if (row < 0 || row >= app_.registry.count()) return;
  const DeviceRecord& d = app_.registry.deviceAt(row);
  id_->setText(q(formatText("%ld", static_cast<long>(d.deviceId))));
  name_->setText(q(d.customerName));
  int position = -1;
  for (int i = 0; i < VctTable::count(); ++i) {
    if (VctTable::multiplierAt(i) == d.multiplier) position = i;
  }
  vct_->setCurrentIndex(position);
}

bool CSetMc::recordFromEdits(DeviceRecord& record) {
  bool ok = false;
  const int id = id_->text().trimmed().toInt(&ok);
  if (!ok || id < 0 || id > kMaxDeviceId) {
    QMessageBox::warning(
        this, kMessageTitle,
        QStringLiteral("%1 から %2 までの整数を入力してください。").arg(0).arg(kMaxDeviceId));
    id_->setFocus();
    id_->selectAll();
    return false;
  }
  if (name_->text().size() > kMaxNameChars) {
    QMessageBox::warning(this, kMessageTitle,
                         QStringLiteral("%1 文字以内で入力してください。").arg(kMaxNameChars));
    name_->setFocus();
    return false;
  }
  if (!utf8ToCp932IfExact(name_->text().toStdString())) {
    QMessageBox::warning(this, kMessageTitle,
                         QStringLiteral("需要家名に使用できない文字が含まれています\n%1")
                             .arg(q(charactersCp932Lacks(name_->text().toStdString()))));
    name_->setFocus();
    return false;
  }
  const int position = std::max(0, vct_->currentIndex());
  record = DeviceRecord::makeNew(app_.storage.defaults);
  record.deviceId = id;
  record.customerName = name_->text().toStdString();
  record.multiplier = VctTable::multiplierAt(position);
  record.primaryCurrent = VctTable::currentForMultiplier(record.multiplier);
  return true;
}

void CSetMc::store(const DeviceRecord& record) {
  app_.registry.put(record);
  showDevices(record.deviceId);
}

void CSetMc::onAdd() {
  DeviceRecord record;
  if (!recordFromEdits(record)) return;
  if (app_.registry.positionOf(record.deviceId) >= 0) {
    app_.reporter.beep();
    if (!app_.reporter.askYesNo("指定の機器ＩＤは既に登録済みです\nこの設定内容で上書きしますか")) return;
  }
  store(record);
}

void CSetMc::onUpdate() {
  DeviceRecord record;
  if (selectedRow() < 0 || !recordFromEdits(record)) return;
  app_.reporter.beep();
  if (!app_.reporter.askYesNo("指定の機器情報を更新します\nよろしいですか\n")) return;
  store(record);
}

void CSetMc::onDelete() {
  const int row = selectedRow();
  DeviceRecord ignored;
  if (row < 0 || !recordFromEdits(ignored)) return;
  const int32_t id = app_.registry.deviceAt(row).deviceId;
  app_.reporter.beep();
  if (!app_.reporter.askYesNo(
          formatText("指定の機器情報を削除します\n【今までの計測データも削除されます】\n【また，この設定で"
                     "最終「キャンセル」した場合でもデータは復旧しません】\nよろしいですか\nID=%d",
                     id))) {
    return;
  }
  const EraseResult erased = eraseDeviceData(app_.location, id, app_.storage);
  reportErase(erased.ok, erased.failure);
  // Readings that could not go (another program kept them, the wait was given up) keep
  // their device, so that nothing stays behind unlisted.
  if (!erased.ok) return;
  app_.registry.removeAt(row);
  const int previous = row - 1;
  showDevices(previous >= 0 ? app_.registry.deviceAt(previous).deviceId : -1);
}

void CSetMc::onErase() {
  const int row = selectedRow();
  auto eraseAll = [this] {
    const EraseResult erased = eraseAllData(app_.location, app_.storage);
    reportErase(erased.ok, erased.failure);
  };
  app_.reporter.beep();
  if (row < 0) {
    if (app_.reporter.askYesNo("今までの機器より収集したデータ（過去データ）を抹消します\n全機器ＩＤが対象に"
                               "なります\nよろしいですか")) {
      eraseAll();
    }
    return;
  }
  const int32_t id = app_.registry.deviceAt(row).deviceId;
  switch (app_.reporter.askYesNoCancel(
      formatText("現在選択されている機器の過去データを削除します\n「はい」で選択機器の過去データを削除します"
                 "\n「いいえ」を選ぶと全ての"
                 "機器の過去データを削除します\n「キャンセル」は何もしません\n選択機器ID=%d",
                 id))) {
    case Reporter::Answer::Yes: {
      const EraseResult erased = eraseDeviceData(app_.location, id, app_.storage);
      reportErase(erased.ok, erased.failure);
      break;
    }
    case Reporter::Answer::No:
      app_.reporter.beep();
      if (app_.reporter.askYesNo("全ての機器データを削除します\n本当によろしいですか")) eraseAll();
      break;
    case Reporter::Answer::Cancel:
      break;
  }
}

// Readings are gone or not: the user must know which, and why not.
void CSetMc::reportErase(bool ok, const std::string& failure) {
  if (ok) return;
  app_.reporter.beep();
  app_.reporter.error("データを削除出来ませんでした\n" + failure);
}

void CSetMc::onCommSettings() {
  CSetSerial dialog(
      app_.registry.commSettings, scan_, [this](int port) { return app_.settings.serialDevicePath(port); },
      this);
  if (dialog.exec() == QDialog::Accepted) app_.registry.commSettings = dialog.settings();
}

void CSetMc::accept() {
  const int row = selectedRow();
  const int32_t selected = row >= 0 ? app_.registry.deviceAt(row).deviceId : DeviceRecord::kNoDevice;
  if (!app_.registry.saveOrReload(app_.location.root(), app_.storage)) {
    // Nothing unsaved is shown as stored: the dialog stays open on what the file holds,
    // which Cancel keeps.
    snapshot_.registry = app_.registry;
    app_.reporter.info(kShownAsStored);
    int32_t shown = selected;
    if (app_.registry.positionOf(shown) < 0)
      shown = app_.registry.count() > 0 ? app_.registry.deviceAt(0).deviceId : DeviceRecord::kNoDevice;
    showDevices(shown);
    return;
  }
  QDialog::accept();
}

void CSetMc::reject() {
  app_.registry = snapshot_.registry;
  QDialog::reject();
}

}  // namespace pelnor
