#include "dialogs/dat_copy.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "comm/program_state.h"
#include "data/data_copy.h"
#include "data/text.h"
#include "ui/device_list.h"
#include "ui/input_label.h"

namespace pelnor {

CDatCopy::CDatCopy(ProgramState& app, QWidget* parent) : QDialog(parent), app_(app) {
  setObjectName("id148");
  setWindowTitle("集計データのコピー");
  auto* layout = new QGridLayout(this);
  devices_ = new QListWidget(this);
  devices_->setObjectName(kDeviceListName);
  devices_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  devices_->setTabKeyNavigation(false);
  devices_->setAccessibleName("機器ＩＤ一覧");  // lists do not take their label's name
  for (int i = 0; i < app.registry.count(); ++i) {
    const DeviceRecord& d = app.registry.deviceAt(i);
    devices_->addItem(QString::fromStdString(formatText("%5d : %s", d.deviceId, d.customerName.c_str())));
  }
  const int loaded = app.registry.positionOf(app.history.device.deviceId);
  if (app.registry.count() > 0) devices_->setCurrentRow(loaded >= 0 ? loaded : 0);
  destination_ = new QLineEdit(QString::fromStdString(app.settings.copyDir), this);
  destination_->setObjectName("id1044");
  destination_->setMaxLength(256);
  destination_->setMinimumWidth(360);
  auto* browse = new QPushButton("参照(&B)...", this);
  browse->setObjectName("id1039");
  browse->setAccessibleName("コピー先を参照");
  layout->addWidget(inputLabel("機器ＩＤ一覧(&I)：", devices_, this), 0, 0, 1, 2);
  layout->addWidget(devices_, 1, 0, 1, 2);
  layout->addWidget(inputLabel("コピー先(&D)：", destination_, this), 2, 0, 1, 2);
  layout->addWidget(destination_, 3, 0);
  layout->addWidget(browse, 3, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  layout->addWidget(buttons, 4, 0, 1, 2);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen =
        QFileDialog::getExistingDirectory(this, "コピー先を選んでください", destination_->text());
    if (!chosen.isEmpty()) destination_->setText(chosen);
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &CDatCopy::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CDatCopy::accept() {
  const QString text = destination_->text().trimmed();
  const int row = devices_->currentRow();
  if (!text.isEmpty() && row < 0) {
    app_.reporter.beep();
    app_.reporter.error("コピーする機器を選んでください");
    return;
  }
  if (!text.isEmpty()) chosenFolder_ = text.toStdString();
  const int32_t id = row >= 0 ? app_.registry.deviceAt(row).deviceId : DeviceRecord::kNoDevice;
  if (copyDeviceData(app_.location, app_.registry, id, text.toStdString(), app_.storage)) QDialog::accept();
}

}  // namespace pelnor
