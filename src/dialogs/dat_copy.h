// "集計データのコピー": one device's data and record to another folder.
#pragma once

#include <QDialog>
#include <string>

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
  // The folder last confirmed with OK and a device, whether or not the copy succeeded;
  // empty when there was none. The caller remembers it.
  const std::string& chosenFolder() const { return chosenFolder_; }
  void accept() override;

 private:
  ProgramState& app_;
  std::string chosenFolder_;
  QListWidget* devices_;
  QLineEdit* destination_;
};

}  // namespace pelnor
