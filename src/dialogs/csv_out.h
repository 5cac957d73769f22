// "テキスト出力（ＣＳＶ形式）": the aggregated values of the selected day or month as CSV,
// then, if asked, the file opened with a program.
#pragma once

#include <QDialog>

#include "data/period.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace pelnor {

struct ProgramState;

class CCsvOut : public QDialog {
  Q_OBJECT

 public:
  // folder, openAfter and program come from the settings; the caller stores them on OK.
  CCsvOut(ProgramState& app, Period period, const DateTime& date, QWidget* parent = nullptr);

  QString folder() const;
  bool openAfter() const;
  QString program() const;
  QLineEdit& folderEdit() const { return *folder_; }
  QLineEdit& fileEdit() const { return *file_; }
  QCheckBox& withDays() const { return *withDays_; }
  QCheckBox& openAfterBox() const { return *openAfter_; }
  QLineEdit& programEdit() const { return *program_; }

  void accept() override;

 private:
  ProgramState& app_;
  Period period_;
  DateTime date_;
  QLineEdit* folder_;
  QLineEdit* file_;
  QCheckBox* withDays_;
  QCheckBox* openAfter_;
  QGroupBox* programGroup_;
  QLineEdit* program_;
};

// Opens a written file: with the program text — a program and its arguments, split as a
// shell splits them but never run through one, the file added as the last argument — or with
// the program the desktop associates with it when the text is empty. Empty when it started,
// else the message that says why not.
QString openWithProgram(const QString& programText, const QString& file);

}  // namespace pelnor
