// "機器の設定": register, update and delete devices, erase stored readings, and open the
// communication settings. Changes act on the registry at once; Cancel puts the registry
// back as it was, OK saves the device master (merged with another program's changes) or,
// when that fails, shows what the master holds and stays open.
#pragma once

#include <QDialog>

#include "data/device_registry.h"
#include "dialogs/set_serial.h"

class QComboBox;
class QLineEdit;

namespace pelnor {

struct ProgramState;
class DeviceList;

class CSetMc : public QDialog {
  Q_OBJECT

 public:
  static constexpr int32_t kMaxDeviceId = 19999;
  static constexpr int kMaxNameChars = 256;

  CSetMc(ProgramState& app, CSetSerial::Scan scan, QWidget* parent = nullptr);

  DeviceList& deviceList() const { return *list_; }
  QLineEdit& idEdit() const { return *id_; }
  QLineEdit& nameEdit() const { return *name_; }
  QComboBox& vctList() const { return *vct_; }

  void onAdd();
  void onUpdate();
  void onDelete();
  void onErase();
  void onCommSettings();
  void accept() override;
  void reject() override;

 private:
  void showDevices(int32_t selectId);
  void onRowSelected();
  // The edits as a new record; false (after the validation message) when they are not valid.
  bool recordFromEdits(DeviceRecord& record);
  void store(const DeviceRecord& record);
  int selectedRow() const;
  void reportErase(bool ok, const std::string& failure);

  ProgramState& app_;
  CSetSerial::Scan scan_;
  struct Snapshot {
    DeviceRegistry registry;
  } snapshot_;
  DeviceList* list_;
  QLineEdit* id_;
  QLineEdit* name_;
  QComboBox* vct_;
};

}  // namespace pelnor
