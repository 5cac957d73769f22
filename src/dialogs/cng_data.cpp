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
#include <QVBoxLayout>

#include "comm/program_state.h"
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

QString pastDataMonthLabelName(int month) { return QStringLiteral("id%1").arg(1064 + month); }

CCngData::CCngData(ProgramState& app, QWidget* parent)
    : QDialog(parent), app_(app), chosenPosition_(app.pastDevicePosition) {
  setObjectName("CCngData");
  setWindowTitle("過去データの表示");
  auto* layout = new QVBoxLayout(this);

  auto* explanation = new QLabel(
      "過去に収集したデータより任意の時期のデータを表示対象とします\n"
      "「表示対象月」で指定した月から「過去何ヶ月分」で指定した月数分までが対象になります",
      this);
  layout->addWidget(explanation);

  auto* locationRow = new QHBoxLayout;
  auto* locationLabel = new QLabel("表示データの保存場所(&L)：", this);
  locationRow->addWidget(locationLabel);
  location_ = new QLineEdit(this);
  location_->setObjectName(kPastDataLocationName);
  location_->setReadOnly(true);
  locationLabel->setBuddy(location_);
  locationRow->addWidget(location_, 1);
  auto* change = new QPushButton("変更(&C)...", this);
  change->setObjectName("id1046");
  locationRow->addWidget(change);
  layout->addLayout(locationRow);
  layout->addWidget(new QLabel(
      "データの保存場所を「自分」以外に変更した場合\nデータの表示機能のみのビューモードとして動作します。",
      this));

  auto* devicesLabel = new QLabel("対象機器ＩＤ(&I)：", this);
  layout->addWidget(devicesLabel);
  devices_ = new DeviceList(app_.registry, this);
  devicesLabel->setBuddy(devices_);
  devices_->setAccessibleName("対象機器");
  layout->addWidget(devices_, 1);

  auto* when = new QGridLayout;
  auto* whenLabel = new QLabel("表示対象年月(&Y)：", this);
  when->addWidget(whenLabel, 0, 0);
  year_ = new QDateEdit(this);
  year_->setObjectName(kPastDataYearName);
  year_->setDisplayFormat("yyyy 年");
  year_->setAccessibleName("表示対象年");
  whenLabel->setBuddy(year_);
  month_ = new QDateEdit(this);
  month_->setObjectName("id1037");
  month_->setDisplayFormat("MM 月");
  month_->setAccessibleName("表示対象月");
  when->addWidget(year_, 0, 1);
  when->addWidget(month_, 0, 2);
  auto* backLabel = new QLabel("過去何ヶ月分(&B)：", this);
  when->addWidget(backLabel, 1, 0);
  monthsBack_ = new QSpinBox(this);
  monthsBack_->setObjectName("id1036");
  monthsBack_->setRange(1, 99);
  backLabel->setBuddy(monthsBack_);
  when->addWidget(monthsBack_, 1, 1);
  layout->addLayout(when);

  auto* available = new QGroupBox("データが存在する月", this);
  auto* grid = new QGridLayout(available);
  for (int m = 0; m < 12; ++m) {
    monthLabels_[m] = new QLabel(kMonthNames[m], available);
    monthLabels_[m]->setObjectName(pastDataMonthLabelName(m + 1));
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
  connect(devices_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { refreshMonths(); });
  connect(year_, &QDateEdit::dateChanged, this, [this] { refreshMonths(); });

  // Opening: the location, the remembered month (now when it is not a date), the devices.
  location_->setText(q(app_.location.label()));
  chosenMonth_ = (app_.pastMonth.isValid() ? app_.pastMonth : DateTime::now()).firstOfMonth();
  year_->setDate(toQDate(chosenMonth_));
  month_->setDate(toQDate(chosenMonth_));
  monthsBack_->setValue(app_.settings.monthsToLoad);
  devices_->choose(chosenPosition_);
  refreshMonths();
}

void CCngData::setMonthsBack(int months) { monthsBack_->setValue(months); }
int CCngData::monthsBack() const { return monthsBack_->value(); }

void CCngData::refreshMonths() {
  const int row = devices_->selectedRow();
  const bool chosen = row >= 0 && row < app_.registry.count();
  const int year = year_->date().year();
  for (int m = 1; m <= 12; ++m) {
    bool stored = false;
    if (chosen) {
      std::error_code ec;
      const int32_t id = app_.registry.deviceAt(row).deviceId;
      stored =
          std::filesystem::is_regular_file(app_.location.monthFile(id, DateTime::fromFields(year, m, 1)), ec);
    }
    // Told by the weight of the text and by its name too, not by its shade alone.
    QLabel* label = monthLabels_[m - 1];
    label->setEnabled(stored);
    QFont font = label->font();
    font.setBold(stored);
    label->setFont(font);
    label->setAccessibleName(QString(kMonthNames[m - 1]) + (stored ? "：データあり" : "：データなし"));
  }
}

void CCngData::onChangeLocation() {
  CCngDataDir dialog(app_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  app_.registry.load(app_.location.root(), app_.storage);
  devices_->refresh();
  Q_EMIT locationChanged();
  devices_->choose(0);
  location_->setText(q(app_.location.label()));
  refreshMonths();
}

void CCngData::accept() {
  const int row = devices_->selectedRow();
  chosenPosition_ = row;
  if (row < 0) {
    DataLocation::warn(app_.reporter, "対象とする機器ＩＤを選んでください");
    return;
  }
  chosenMonth_ = DateTime::fromFields(year_->date().year(), month_->date().month(), 1);
  QDialog::accept();
}

}  // namespace pelnor
