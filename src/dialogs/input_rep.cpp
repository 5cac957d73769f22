#include "dialogs/input_rep.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/gui_reporter.h"
#include "ui/input_label.h"

namespace pelnor {

namespace {

QString number(double value) { return QString::number(static_cast<long long>(value)); }

// One field's checks: a whole number in a range, or a text of a most length.
struct Check {
  bool isNumber;
  double low, high;
  int maxChars;
};

}  // namespace

CInputRep::CInputRep(const ReportInfo& report, const QString& corpName, const QString& officeLabel,
                     std::optional<double> yearPeakKw, QWidget* parent)
    : QDialog(parent), report_(report) {
  setObjectName("id150");
  setWindowTitle("報告書");
  auto* layout = new QVBoxLayout(this);
  auto* date = new QHBoxLayout;
  for (const char* unit : {"年", "月", "日"}) {
    auto* edit = new QLineEdit(this);
    edit->setMaximumWidth(70);
    edit->setAccessibleName(QString("報告書の") + unit);
    fields_.push_back(edit);
    date->addWidget(edit);
    date->addWidget(new QLabel(unit, this));
  }
  date->addStretch();
  layout->addLayout(date);
  layout->addWidget(new QLabel(corpName, this));

  auto* form = new QFormLayout;
  const QString labels[] = {officeLabel + "(&O)：",    "契約番号(&C)：",    "お客さま名称(&N)：",
                            "業種(&B)：",              "総変圧器容量[kVA](&T)：", "単相総[kVA](&S)：",
                            "三相総[kVA](&R)："};
  for (const QString& label : labels) {
    auto* edit = new QLineEdit(this);
    fields_.push_back(edit);
    form->addRow(inputLabel(label, edit, this), edit);
  }
  // The 30-minute demand, and beside it the 12-month maximum the stored readings give,
  // filled in only when asked for.
  auto* demand = new QLineEdit(this);
  fields_.push_back(demand);
  const QString peak = yearPeakKw ? number(*yearPeakKw) : QString();
  auto* demandRow = new QHBoxLayout;
  demandRow->addWidget(demand);
  demandRow->addWidget(new QLabel(yearPeakKw ? QString("データ：%1[kW]").arg(peak) : QString("データなし"), this));
  fromData_ = new QPushButton("データから(&F)", this);
  fromData_->setEnabled(yearPeakKw.has_value());
  fromData_->setAccessibleDescription(yearPeakKw ? QString("過去12ヶ月の最大 %1[kW] を入れます").arg(peak)
                                                 : QString("過去12ヶ月のデータがありません"));
  connect(fromData_, &QPushButton::clicked, demand, [demand, peak] { demand->setText(peak); });
  demandRow->addWidget(fromData_);
  form->addRow(inputLabel("３０分ﾃﾞﾏﾝﾄﾞ値[kW](&D)：", demand, this), demandRow);
  layout->addLayout(form);
  notes_ = new QPlainTextEdit(this);
  notes_->setObjectName("notes");
  layout->addWidget(inputLabel("記事(&M)：（印刷されるのは上から５行までです）", notes_, this));
  layout->addWidget(notes_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &CInputRep::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  const QString texts[] = {QString::number(report.year),
                           QString::number(report.month),
                           QString::number(report.day),
                           QString::fromStdString(report.office),
                           QString::fromStdString(report.contractNumber),
                           QString::fromStdString(report.customerName),
                           QString::fromStdString(report.businessType),
                           number(report.totalTransformerKva),
                           number(report.singlePhaseKva),
                           number(report.threePhaseKva),
                           number(report.demandKw)};
  for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->setText(texts[i]);
  notes_->setPlainText(QString::fromStdString(report.notes).replace("\r\n", "\n"));
}

QLineEdit& CInputRep::field(int index) const { return *fields_.at(static_cast<std::size_t>(index)); }

void CInputRep::accept() {
  const Check checks[] = {{true, kFirstYear, kLastYear, 0},
                          {true, 1, 12, 0},
                          {true, 1, 31, 0},
                          {false, 0, 0, kMaxTextChars},
                          {false, 0, 0, kMaxTextChars},
                          {false, 0, 0, kMaxTextChars},
                          {false, 0, 0, kMaxTextChars},
                          {true, -kMaxKva, kMaxKva, 0},
                          {true, -kMaxKva, kMaxKva, 0},
                          {true, -kMaxKva, kMaxKva, 0},
                          {true, -kMaxKva, kMaxKva, 0}};
  std::vector<double> numbers(fields_.size());
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const Check& c = checks[i];
    QLineEdit& edit = *fields_[i];
    bool ok = true;
    QString message;
    if (c.isNumber) {
      const long long value = edit.text().trimmed().toLongLong(&ok);
      ok = ok && value >= c.low && value <= c.high;
      numbers[i] = static_cast<double>(value);
      message = QStringLiteral("%1 から %2 までの整数を入力してください。")
                    .arg(c.low, 0, 'f', 0)
                    .arg(c.high, 0, 'f', 0);
    } else {
      ok = edit.text().size() <= c.maxChars;
      message = QStringLiteral("%1 文字以内で入力してください。").arg(c.maxChars);
    }
    if (!ok) {
      QMessageBox::warning(this, kMessageTitle, message);
      edit.setFocus();
      edit.selectAll();
      return;
    }
  }
  if (notes_->toPlainText().size() > kMaxNotesChars) {
    QMessageBox::warning(this, kMessageTitle,
                         QStringLiteral("%1 文字以内で入力してください。").arg(kMaxNotesChars));
    notes_->setFocus();
    return;
  }
  report_.year = static_cast<int32_t>(numbers[0]);
  report_.month = static_cast<int32_t>(numbers[1]);
  report_.day = static_cast<int32_t>(numbers[2]);
  report_.office = fields_[3]->text().toStdString();
  report_.contractNumber = fields_[4]->text().toStdString();
  report_.customerName = fields_[5]->text().toStdString();
  report_.businessType = fields_[6]->text().toStdString();
  report_.totalTransformerKva = numbers[7];
  report_.singlePhaseKva = numbers[8];
  report_.threePhaseKva = numbers[9];
  report_.demandKw = numbers[10];
  // Line ends as the stored files have always held them.
  report_.notes = notes_->toPlainText().replace("\n", "\r\n").toStdString();
  QDialog::accept();
}

}  // namespace pelnor
