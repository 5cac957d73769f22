// "過去データの表示": a device, a month and how many months back to show; from here the
// data location can be changed.
#pragma once

#include <QDialog>

#include "data/date_time.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace pelnor {

struct ProgramState;
class DeviceList;

// The object names of the inputs, as tests find them.
inline constexpr const char* kPastDataLocationName = "id1044";
inline constexpr const char* kPastDataYearName = "id1035";
// The label that says whether month (1 to 12) of the chosen year has data.
QString pastDataMonthLabelName(int month);

class CCngData : public QDialog {
  Q_OBJECT

 public:
  CCngData(ProgramState& app, QWidget* parent = nullptr);

  void setMonthsBack(int months);
  int monthsBack() const;
  // What to remember for the next opening, also when the dialog was cancelled: the device
  // row last confirmed with OK (-1 when OK found none chosen) and the month.
  int devicePosition() const { return chosenPosition_; }
  DateTime month() const { return chosenMonth_; }

  void accept() override;

 Q_SIGNALS:
  // Another data location was chosen and its device master loaded.
  void locationChanged();

 private:
  void refreshMonths();
  void onChangeLocation();

  ProgramState& app_;
  int chosenPosition_;
  DateTime chosenMonth_;
  QLineEdit* location_;
  DeviceList* devices_;
  QDateEdit* year_;
  QDateEdit* month_;
  QSpinBox* monthsBack_;
  QLabel* monthLabels_[12];
};

}  // namespace pelnor
