#include "dialogs/cng_data_dir.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "comm/program_state.h"

namespace pelnor {

CCngDataDir::CCngDataDir(ProgramState& app, QWidget* parent) : QDialog(parent), app_(app) {
  setObjectName("CCngDataDir");
  setWindowTitle("データの保存場所");
  auto* layout = new QVBoxLayout(this);
  own_ = new QRadioButton("自分 （このソフトが管理している場所）", this);
  own_->setObjectName("id1047");
  other_ = new QRadioButton("他の場所のデータを表示する （ビューモードで動作）", this);
  other_->setObjectName("id1048");
  layout->addWidget(own_);
  layout->addWidget(other_);
  auto* group = new QGroupBox(this);
  group->setObjectName("id1050");
  auto* row = new QHBoxLayout(group);
  path_ = new QLineEdit(group);
  path_->setObjectName("id1044");
  path_->setMaxLength(kMaxPathChars);
  path_->setMinimumWidth(380);
  path_->setAccessibleName("他の場所");
  browse_ = new QPushButton("参照(&B)...", group);
  browse_->setObjectName("id1039");
  row->addWidget(path_, 1);
  row->addWidget(browse_);
  layout->addWidget(group);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  layout->addWidget(buttons);

  const std::string other = app_.location.otherPath();
  path_->setText(QString::fromStdString(other.empty() ? pathText(DataLocation::personalFolder()) : other));
  (app_.location.isOwn() ? own_ : other_)->setChecked(true);
  followChoice();

  connect(own_, &QRadioButton::toggled, this, &CCngDataDir::followChoice);
  connect(browse_, &QPushButton::clicked, this, [this] {
    QString chosen =
        QFileDialog::getExistingDirectory(this, "表示するデータ保存場所を選んでください", path_->text());
    if (!chosen.isEmpty()) path_->setText(chosen);
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &CCngDataDir::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CCngDataDir::followChoice() {
  const bool other = other_->isChecked();
  path_->setEnabled(other);
  browse_->setEnabled(other);
}

void CCngDataDir::accept() {
  if (path_->text().size() > kMaxPathChars) return;
  app_.location.choose(path_->text().toStdString(), own_->isChecked(), app_.reporter);
  QDialog::accept();
}

}  // namespace pelnor
