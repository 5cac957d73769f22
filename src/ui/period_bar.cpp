#include "ui/period_bar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "ui/input_label.h"
#include "ui/period_list.h"

namespace pelnor {

PeriodBar::PeriodBar(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  kind_ = new QComboBox(this);
  kind_->setObjectName(kKindSelectorName);
  date_ = new QComboBox(this);
  date_->setObjectName(kDateSelectorName);
  date_->setMinimumContentsLength(16);
  scale_ = new QComboBox(this);
  scale_->setObjectName(kScaleSelectorName);
  keyIn_ = new QPushButton("ｷｰ入力", this);
  keyIn_->setObjectName(kKeyInButtonName);
  keyIn_->setToolTip("日付を入力して表示します");
  // The labels name the selectors for screen readers, which would say only their values.
  layout->addWidget(inputLabel("種類：", kind_, this));
  layout->addWidget(kind_);
  layout->addSpacing(8);
  layout->addWidget(inputLabel("日付：", date_, this));
  layout->addWidget(date_);
  layout->addSpacing(8);
  layout->addWidget(inputLabel("使用電力ｽｹｰﾙ", scale_, this));
  layout->addWidget(scale_);
  layout->addWidget(keyIn_);

  connect(kind_, &QComboBox::activated, this, [this] { Q_EMIT kindChosen(); });
  connect(date_, &QComboBox::activated, this, [this] { Q_EMIT dateChosen(); });
  connect(scale_, &QComboBox::activated, this, [this](int index) { Q_EMIT energyScaleChosen(index); });
  connect(keyIn_, &QPushButton::clicked, this, [this] { Q_EMIT keyInRequested(); });
}

void PeriodBar::reset(const std::vector<QString>& energyScaleTexts) {
  kind_->clear();
  for (Period p : {Period::Day, Period::Month, Period::Year})
    kind_->addItem(QString::fromUtf8(periodName(p)), static_cast<int>(p));
  const DateTime today = DateTime::now().dateOnly();
  offer(Period::Day, today, today, std::nullopt);
  scale_->clear();
  for (const QString& text : energyScaleTexts) scale_->addItem(text);
  scale_->setCurrentIndex(0);
  for (QComboBox* selector : {kind_, date_, scale_}) selector->setEnabled(false);
}

void PeriodBar::offer(Period period, const DateTime& first, const DateTime& last,
                      std::optional<DateTime> preferred) {
  kind_->setCurrentIndex(kind_->findData(static_cast<int>(period)));
  fillPeriodList(*date_, period, first, last);
  date_->setCurrentIndex(preferred ? std::max(periodIndexOf(*date_, period, *preferred), 0) : 0);
}

bool PeriodBar::choose(const DateTime& date) {
  const int index = periodIndexOf(*date_, period(), date);
  if (index < 0) return false;
  date_->setCurrentIndex(index);
  return true;
}

bool PeriodBar::step(int steps) {
  const int index = date_->currentIndex() + steps;
  if (index < 0 || index >= date_->count()) return false;
  date_->setCurrentIndex(index);
  return true;
}

Period PeriodBar::period() const {
  const QVariant chosen = kind_->currentData();
  return chosen.isValid() ? static_cast<Period>(chosen.toInt()) : Period::Day;
}

DateTime PeriodBar::date() const { return periodAt(*date_, date_->currentIndex()); }

void PeriodBar::showEnergyScale(int index) { scale_->setCurrentIndex(index); }

void PeriodBar::setPeriodsEnabled(bool enabled) {
  kind_->setEnabled(enabled);
  date_->setEnabled(enabled);
}

void PeriodBar::setScaleEnabled(bool enabled) { scale_->setEnabled(enabled); }

}  // namespace pelnor
