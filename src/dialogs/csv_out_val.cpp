#include "dialogs/csv_out_val.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "comm/program_state.h"
#include "data/text.h"
#include "data/text_export.h"
#include "dialogs/output_target.h"
#include "ui/input_label.h"

namespace pelnor {

CCsvOutVal::CCsvOutVal(ProgramState& app, const DateTime& date, const QString& folder, QWidget* parent)
    : QDialog(parent), app_(app), date_(date) {
  setObjectName("id166");
  setWindowTitle("計測データのテキスト出力");
  auto* layout = new QGridLayout(this);
  auto* month = new QLabel(
      QString::fromStdString(formatText("対象データ： %04d年 %02d月", date.year(), date.month())), this);
  month->setObjectName("id1003");
  month->setAlignment(Qt::AlignCenter);
  month->setFrameStyle(QFrame::Box);
  folder_ = new QLineEdit(folder, this);
  folder_->setObjectName("id1024");
  folder_->setMaxLength(256);
  folder_->setMinimumWidth(360);
  auto* browse = new QPushButton("参照(&B)...", this);
  browse->setObjectName("id1025");
  browse->setAccessibleName("出力先を参照");
  // The name always follows the month shown, whatever the last run used.
  file_ = new QLineEdit(QString::fromStdString(rawFileName(date)), this);
  file_->setObjectName("id1026");
  file_->setMaxLength(256);
  auto* note = new QGroupBox(this);
  auto* noteLayout = new QVBoxLayout(note);
  noteLayout->addWidget(new QLabel(
      "現在表示している月の全ての日データの\n計測生データをファイルへテキスト形式で出力します。", note));

  layout->addWidget(month, 0, 0, 1, 2);
  layout->addWidget(inputLabel("出力先(&D)：", folder_, this), 1, 0, 1, 2);
  layout->addWidget(folder_, 2, 0);
  layout->addWidget(browse, 2, 1);
  layout->addWidget(inputLabel("出力ファイル名(&F)：", file_, this), 3, 0, 1, 2);
  layout->addWidget(file_, 4, 0, 1, 2);
  layout->addWidget(note, 5, 0, 1, 2);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton("出力", QDialogButtonBox::AcceptRole)->setObjectName("id1");
  buttons->addButton("キャンセル", QDialogButtonBox::RejectRole)->setObjectName("id2");
  layout->addWidget(buttons, 6, 0, 1, 2);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen =
        QFileDialog::getExistingDirectory(this, "フォルダ選択をしてください", folder_->text());
    if (!chosen.isEmpty()) folder_->setText(chosen);
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &CCsvOutVal::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString CCsvOutVal::folder() const { return folder_->text().trimmed(); }

void CCsvOutVal::accept() {
  const auto target = outputTarget(folder_->text(), file_->text(), app_.reporter);
  if (!target) return;
  if (!writeRawText(*target, app_.history, date_, app_.storage)) return;
  reportWritten(*target, app_.reporter);
  QDialog::accept();
}

}  // namespace pelnor
