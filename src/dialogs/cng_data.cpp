#include "dialogs/cng_data.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/app_context.h"
#include "app/pelnor_doc.h"
#include "data/text.h"
#include "dialogs/cng_data_dir.h"
#include "ui/device_list.h"

namespace pelnor {

namespace {

QString q(const std::string& utf8) { return QString::fromStdString(utf8); }

const char* const kMonthNames[12] = {"１月", "２月", "３月", "４月",   "５月",   "６月",
                                     "７月", "８月", "９月", "１０月", "１１月", "１２月"};

QDate toQDate(const DateTime& d) { return QDate(d.year(), d.month(), d.day()); }

}  // namespace

CCngData::CCngData(AppContext& app, CPelnorDoc& doc, QWidget* parent)
    : QDialog(parent), app_(app), doc_(doc) {
  setObjectName("CCngData");
  setWindowTitle("過去データの表示");
  auto* layout = new QVBoxLayout(this);

  auto* explanation = new QLabel(
      "過去に収集したデータより任意の時期のデータを表示対象とします\n"
      "「表示対象月」で指定した月から「過去何ヶ月分」で指定した月数分までが対象になります",
      this);
  layout->addWidget(explanation);

  auto* locationRow = new QHBoxLayout;
  locationRow->addWidget(new QLabel("表示データの保存場所：", this));
  location_ = new QLineEdit(this);
  location_->setObjectName("id1044");
  location_->setReadOnly(true);
  locationRow->addWidget(location_, 1);
  auto* change = new QPushButton("変更...", this);
  change->setObjectName("id1046");
  locationRow->addWidget(change);
  layout->addLayout(locationRow);
  layout->addWidget(new QLabel(
      "データの保存場所を「自分」以外に変更した場合\nデータの表示機能のみのビューモードとして動作します。",
      this));

  layout->addWidget(new QLabel("対象機器ＩＤ：", this));
  devices_ = makeDeviceList(this);
  layout->addWidget(devices_, 1);

  auto* when = new QGridLayout;
  when->addWidget(new QLabel("表示対象年月：", this), 0, 0);
  year_ = new QDateEdit(this);
  year_->setObjectName("id1035");
  year_->setDisplayFormat("yyyy 年");
  month_ = new QDateEdit(this);
  month_->setObjectName("id1037");
  month_->setDisplayFormat("MM 月");
  when->addWidget(year_, 0, 1);
  when->addWidget(month_, 0, 2);
  when->addWidget(new QLabel("過去何ヶ月分：", this), 1, 0);
  monthsBack_ = new QSpinBox(this);
  monthsBack_->setObjectName("id1036");
  monthsBack_->setRange(1, 99);
  when->addWidget(monthsBack_, 1, 1);
  layout->addLayout(when);

  auto* available = new QGroupBox("データが存在する月", this);
  auto* grid = new QGridLayout(available);
  for (int m = 0; m < 12; ++m) {
    monthLabels_[m] = new QLabel(kMonthNames[m], available);
    monthLabels_[m]->setObjectName(QStringLiteral("id%1").arg(1065 + m));
    monthLabels_[m]->setAlignment(Qt::AlignCenter);
    grid->addWidget(monthLabels_[m], m / 6, m % 6);
  }
  layout->addWidget(available);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("OK");
  buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &CCngData::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(change, &QPushButton::clicked, this, &CCngData::onChangeLocation);
  connect(devices_, &QTableWidget::currentCellChanged, this, [this] { refreshMonths(); });
  connect(year_, &QDateEdit::dateChanged, this, [this] { refreshMonths(); });

  // Opening: the location, the remembered month (now when it is not a date), the devices.
  location_->setText(q(app_.location.label()));
  if (!app_.pastMonth.isValid()) app_.pastMonth = DateTime::now();
  app_.pastMonth = app_.pastMonth.firstOfMonth();
  year_->setDate(toQDate(app_.pastMonth));
  month_->setDate(toQDate(app_.pastMonth));
  monthsBack_->setValue(app_.settings.monthsToLoad);
  fillDevices(app_.pastDevicePosition);
  refreshMonths();
}

void CCngData::setMonthsBack(int months) { monthsBack_->setValue(months); }
int CCngData::monthsBack() const { return monthsBack_->value(); }

void CCngData::fillDevices(int selected) {
  devices_->setRowCount(app_.registry.count());
  for (int i = 0; i < app_.registry.count(); ++i) {
    const DeviceRecord& d = app_.registry.deviceAt(i);
    devices_->setItem(i, 0, new QTableWidgetItem(q(formatText("%ld", static_cast<long>(d.deviceId)))));
    devices_->setItem(i, 1, new QTableWidgetItem(q(d.customerName)));
    devices_->setItem(
        i, 2, new QTableWidgetItem(q(formatText("%d", VctTable::currentForMultiplier(d.multiplier)))));
  }
  if (selected >= 0 && selected < app_.registry.count()) {
    devices_->setCurrentCell(selected, 0);
    devices_->selectRow(selected);
  } else {
    devices_->clearSelection();
    devices_->setCurrentCell(-1, -1);
  }
}

void CCngData::refreshMonths() {
  for (QLabel* label : monthLabels_) label->setEnabled(false);
  const int row = devices_->currentRow();
  if (row < 0 || row >= app_.registry.count() || devices_->selectedItems().isEmpty()) return;
  const int32_t id = app_.registry.deviceAt(row).deviceId;
  const int year = year_->date().year();
  for (int m = 1; m <= 12; ++m) {
    std::error_code ec;
    const auto file = app_.location.monthFile(id, DateTime::fromFields(year, m, 1));
    monthLabels_[m - 1]->setEnabled(std::filesystem::is_regular_file(file, ec));
  }
}

void CCngData::onChangeLocation() {
  CCngDataDir dialog(app_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  devices_->setRowCount(0);
  app_.registry.load(app_.location.root(), app_.storage);
  Q_EMIT doc_.updated(CPelnorDoc::kHintReloaded);
  fillDevices(0);
  location_->setText(q(app_.location.label()));
  refreshMonths();
}

void CCngData::accept() {
  const int row = devices_->selectedItems().isEmpty() ? -1 : devices_->currentRow();
  app_.pastDevicePosition = row;
  if (row < 0) {
    DataLocation::warn(app_.reporter, "対象とする機器ＩＤを選んでください");
    return;
  }
  app_.pastMonth = DateTime::fromFields(year_->date().year(), month_->date().month(), 1);
  QDialog::accept();
}

}  // namespace pelnor
