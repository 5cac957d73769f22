// "報告書": the fields of a month's demand report.
#pragma once

#include <QDialog>
#include <optional>

#include "data/device_record.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pelnor {

class CInputRep : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxTextChars = 256;
  static constexpr int kMaxNotesChars = 2000;
  static constexpr int32_t kFirstYear = 1999, kLastYear = 9999;
  static constexpr double kMaxKva = 9999999;

  // corpName and officeLabel come from the report label file. yearPeakKw is the highest
  // demand of the month and the eleven before it as stored, offered for the 30-minute
  // demand field (nothing when those months hold no readings).
  CInputRep(const ReportInfo& report, const QString& corpName, const QString& officeLabel,
            std::optional<double> yearPeakKw = std::nullopt, QWidget* parent = nullptr);

  // The fields as entered (after OK); the entered flag is the caller's to set.
  const ReportInfo& report() const { return report_; }
  QLineEdit& field(int index) const;  // in the order of the form, year first
  QPlainTextEdit& notes() const { return *notes_; }
  QPushButton& fromDataButton() const { return *fromData_; }

  void accept() override;

 private:
  ReportInfo report_;
  std::vector<QLineEdit*> fields_;
  QPlainTextEdit* notes_;
  QPushButton* fromData_;
};

}  // namespace pelnor
