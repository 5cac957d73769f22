// "集計データのコピー": one device's data and record to another folder.
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace pelnor {

struct ProgramState;

class CDatCopy : public QDialog {
  Q_OBJECT

 public:
  explicit CDatCopy(ProgramState& app, QWidget* parent = nullptr);

  QListWidget& devices() const { return *devices_; }
  QLineEdit& destination() const { return *destination_; }
  void accept() override;

 private:
  ProgramState& app_;
  QListWidget* devices_;
  QLineEdit* destination_;
};

}  // namespace pelnor
