#include "dialogs/input_span.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "data/reporter.h"
#include "ui/input_label.h"
#include "ui/period_list.h"

namespace pelnor {

namespace {

QDialogButtonBox* okCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

CInputDataSpan::CInputDataSpan(Period period, const DateTime& first, const DateTime& last,
                               const DateTime& preferred, bool report, Reporter& reporter, QWidget* parent)
    : QDialog(parent), reporter_(reporter), start_(first), end_(last) {
  setObjectName("id145");
  setWindowTitle("対象範囲の入力");
  auto* layout = new QGridLayout(this);
  startList_ = new QComboBox(this);
  startList_->setObjectName("id1040");
  endList_ = new QComboBox(this);
  endList_->setObjectName("id1041");
  report_ = new QCheckBox("報告書を出力する（月別時のみ）", this);
  report_->setObjectName("id1066");
  layout->addWidget(inputLabel("開始(&S)：", startList_, this), 0, 0);
  layout->addWidget(inputLabel("終了(&E)：", endList_, this), 0, 2);
  layout->addWidget(startList_, 1, 0);
  layout->addWidget(new QLabel("～", this), 1, 1);
  layout->addWidget(endList_, 1, 2);
  layout->addWidget(report_, 2, 0, 1, 3);
  layout->addWidget(okCancel(this), 3, 0, 1, 3);

  for (QComboBox* list : {startList_, endList_}) {
    fillPeriodList(*list, period, first, last);
    list->setCurrentIndex(std::max(periodIndexOf(*list, period, preferred), 0));
  }
  report_->setChecked(period == Period::Month && report);
  report_->setEnabled(period == Period::Month);
}

bool CInputDataSpan::report() const { return report_->isChecked(); }

void CInputDataSpan::accept() {
  const DateTime start = periodAt(*startList_, startList_->currentIndex());
  const DateTime end = periodAt(*endList_, endList_->currentIndex());
  if (end < start) {
    reporter_.beep();
    reporter_.error("開始日は終了日よりも以前にしてください");
    return;
  }
  start_ = start;
  end_ = end;
  QDialog::accept();
}

CInputDay::CInputDay(const DateTime& date, const DateTime& first, const DateTime& last, Reporter& reporter,
                     QWidget* parent)
    : QDialog(parent), date_(date), first_(first), last_(last), reporter_(reporter) {
  setObjectName("id138");
  setWindowTitle("日付の変更");
  auto* layout = new QGridLayout(this);
  picker_ = new QDateEdit(this);
  picker_->setObjectName("id1023");
  picker_->setCalendarPopup(true);
  picker_->setDisplayFormat("yyyy 年 MM 月 dd 日");
  picker_->setDate(QDate(date.year(), date.month(), date.day()));
  layout->addWidget(inputLabel("日付の選択／入力(&D)：", picker_, this), 0, 0);
  layout->addWidget(picker_, 0, 1);
  layout->addWidget(new QLabel("日付を直接入力するか\n▼を押してカレンダーより選んでください", this), 1, 0, 1,
                    2);
  layout->addWidget(okCancel(this), 2, 0, 1, 2);
}

void CInputDay::accept() {
  const QDate chosen = picker_->date();
  const DateTime day = DateTime::fromFields(chosen.year(), chosen.month(), chosen.day());
  // Only the bounds of the loaded period count, not whether the day has readings.
  if (first_.isValid() && last_.isValid() && !(day < first_.dateOnly()) && !(last_.dateOnly() < day)) {
    date_ = day;
    QDialog::accept();
    return;
  }
  reporter_.beep();
  reporter_.error("指定の日付データは存在しません");
}

}  // namespace pelnor
