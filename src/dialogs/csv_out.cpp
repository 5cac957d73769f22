#include "dialogs/csv_out.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "comm/program_state.h"
#include "data/text_export.h"
#include "dialogs/output_target.h"
#include "ui/input_label.h"

namespace pelnor {

namespace {

constexpr int kMaxChars = 256;

QLineEdit* edit(const char* id, const QString& text, QWidget* parent) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(id);
  e->setMaxLength(kMaxChars);
  e->setMinimumWidth(360);
  return e;
}

}  // namespace

QString openWithProgram(const QString& programText, const QString& file) {
  QStringList arguments = QProcess::splitCommand(programText);
  if (arguments.isEmpty()) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(file))) return {};
    return QStringLiteral("出力ファイルを開くプログラムが見つかりません\n%1").arg(file);
  }
  const QString program = arguments.takeFirst();
  arguments << file;
  if (QProcess::startDetached(program, arguments)) return {};
  return QStringLiteral("プログラムを起動出来ませんでした\n%1").arg(program);
}

CCsvOut::CCsvOut(ProgramState& app, Period period, const DateTime& date, QWidget* parent)
    : QDialog(parent), app_(app), period_(period), date_(date) {
  setObjectName("id139");
  setWindowTitle("テキスト出力（ＣＳＶ形式）");
  auto* layout = new QGridLayout(this);
  folder_ = edit("id1024", QString::fromStdString(app.settings.csvOutDir), this);
  auto* browse = new QPushButton("参照(&B)...", this);
  browse->setObjectName("id1025");
  browse->setAccessibleName("出力先を参照");
  file_ =
      edit("id1026", QString::fromStdString(csvFileName(app.history.device.deviceId, period, date)), this);
  withDays_ = new QCheckBox("日別データも加える", this);
  withDays_->setObjectName("id1067");
  withDays_->setVisible(period == Period::Month);
  openAfter_ = new QCheckBox("出力後，次のプログラムでファイルを開く", this);
  openAfter_->setObjectName("id1027");
  openAfter_->setChecked(app.settings.openAfterCsv != 0);
  programGroup_ = new QGroupBox(this);
  programGroup_->setObjectName("id1028");
  auto* group = new QGridLayout(programGroup_);
  program_ = edit("id1029", QString::fromStdString(app.settings.csvViewer), programGroup_);
  program_->setAccessibleName("ファイルを開くプログラム");
  auto* chooseProgram = new QPushButton("参照(&R)...", programGroup_);
  chooseProgram->setAccessibleName("ファイルを開くプログラムを参照");
  chooseProgram->setObjectName("id1030");
  group->addWidget(program_, 0, 0);
  group->addWidget(chooseProgram, 0, 1);
  group->addWidget(new QLabel("指定しない（空白）にすると出力ファイルに関連しているプログラムが起動されます",
                              programGroup_),
                   1, 0, 1, 2);
  programGroup_->setEnabled(openAfter_->isChecked());

  layout->addWidget(inputLabel("出力先(&D)：", folder_, this), 0, 0);
  layout->addWidget(folder_, 0, 1);
  layout->addWidget(browse, 0, 2);
  layout->addWidget(inputLabel("出力ファイル名(&F)：", file_, this), 1, 0);
  layout->addWidget(file_, 1, 1, 1, 2);
  layout->addWidget(withDays_, 2, 1, 1, 2);
  layout->addWidget(openAfter_, 3, 0, 1, 3);
  layout->addWidget(programGroup_, 4, 0, 1, 3);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* write = buttons->addButton("出力", QDialogButtonBox::AcceptRole);
  write->setObjectName("id1");
  buttons->addButton("キャンセル", QDialogButtonBox::RejectRole)->setObjectName("id2");
  layout->addWidget(buttons, 5, 0, 1, 3);

  connect(openAfter_, &QCheckBox::toggled, programGroup_, &QWidget::setEnabled);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen =
        QFileDialog::getExistingDirectory(this, "フォルダ選択をしてください", folder_->text());
    if (!chosen.isEmpty()) folder_->setText(chosen);
  });
  connect(chooseProgram, &QPushButton::clicked, this, [this] {
    const QString chosen =
        QFileDialog::getOpenFileName(this, "起動プログラム", program_->text(), "プログラム (*)");
    if (!chosen.isEmpty()) program_->setText(chosen);
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &CCsvOut::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString CCsvOut::folder() const { return folder_->text().trimmed(); }
bool CCsvOut::openAfter() const { return openAfter_->isChecked(); }
QString CCsvOut::program() const { return program_->text(); }

void CCsvOut::accept() {
  const auto target = outputTarget(folder_->text(), file_->text(), app_.reporter);
  if (!target) return;
  YearSummary year;
  if (period_ == Period::Year) year = summarizeYear(app_.history, date_, app_.historyEnv());
  const CsvRequest request{period_, date_, period_ == Period::Month && withDays_->isChecked(),
                           app_.settings.pulseConstant, &year};
  if (!writeCsv(*target, app_.history, request, app_.storage)) return;
  reportWritten(*target, app_.reporter);
  if (openAfter()) {
    const QString failure = openWithProgram(program(), QString::fromStdString(target->string()));
    if (!failure.isEmpty()) app_.reporter.error(failure.toStdString());
  }
  QDialog::accept();
}

}  // namespace pelnor
