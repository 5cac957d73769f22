// "データの保存場所": the program's own data, or another folder shown in view mode.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pelnor {

struct ProgramState;

class CCngDataDir : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxPathChars = 256;

  explicit CCngDataDir(ProgramState& app, QWidget* parent = nullptr);
  void accept() override;

 private:
  void followChoice();

  ProgramState& app_;
  QRadioButton* own_;
  QRadioButton* other_;
  QLineEdit* path_;
  QPushButton* browse_;
};

}  // namespace pelnor
