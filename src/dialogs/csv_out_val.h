// "計測データのテキスト出力": the displayed month's readings as the device's text lines.
#pragma once

#include <QDialog>

#include "data/date_time.h"

class QLineEdit;

namespace pelnor {

struct ProgramState;

class CCsvOutVal : public QDialog {
  Q_OBJECT

 public:
  CCsvOutVal(ProgramState& app, const DateTime& date, const QString& folder, QWidget* parent = nullptr);

  QString folder() const;
  QLineEdit& folderEdit() const { return *folder_; }
  QLineEdit& fileEdit() const { return *file_; }

  void accept() override;

 private:
  ProgramState& app_;
  DateTime date_;
  QLineEdit* folder_;
  QLineEdit* file_;
};

}  // namespace pelnor
