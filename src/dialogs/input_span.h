// "対象範囲の入力" (the range of days or months to print) and "日付の変更" (one day).
#pragma once

#include <QDialog>

#include "data/period.h"

class QCheckBox;
class QComboBox;
class QDateEdit;

namespace pelnor {

class Reporter;

class CInputDataSpan : public QDialog {
  Q_OBJECT

 public:
  CInputDataSpan(Period period, const DateTime& first, const DateTime& last, const DateTime& preferred,
                 bool report, Reporter& reporter, QWidget* parent = nullptr);

  DateTime startDate() const { return start_; }
  DateTime endDate() const { return end_; }
  bool report() const;
  QComboBox& startList() const { return *startList_; }
  QComboBox& endList() const { return *endList_; }
  QCheckBox& reportBox() const { return *report_; }

  void accept() override;

 private:
  Reporter& reporter_;
  DateTime start_, end_;
  QComboBox* startList_;
  QComboBox* endList_;
  QCheckBox* report_;
};

class CInputDay : public QDialog {
  Q_OBJECT

 public:
  // first and last bound the loaded period; invalid when nothing is loaded.
  CInputDay(const DateTime& date, const DateTime& first, const DateTime& last, Reporter& reporter,
            QWidget* parent = nullptr);

  DateTime date() const { return date_; }
  QDateEdit& picker() const { return *picker_; }
  void accept() override;

 private:
  DateTime date_, first_, last_;
  Reporter& reporter_;
  QDateEdit* picker_;
};

}  // namespace pelnor
