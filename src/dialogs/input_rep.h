// "報告書": the fields of a month's demand report.
#pragma once

#include <QDialog>

#include "data/device_record.h"

class QLineEdit;
class QPlainTextEdit;

namespace pelnor {

class CInputRep : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxTextChars = 256;
  static constexpr int kMaxNotesChars = 2000;
  static constexpr int32_t kFirstYear = 1999, kLastYear = 9999;
  static constexpr double kMaxKva = 9999999;

  // corpName and officeLabel come from the report label file.
  CInputRep(const ReportInfo& report, const QString& corpName, const QString& officeLabel,
            QWidget* parent = nullptr);

  // The fields as entered (after OK); the entered flag is the caller's to set.
  const ReportInfo& report() const { return report_; }
  QLineEdit& field(int index) const;  // in the order of the form, year first
  QPlainTextEdit& notes() const { return *notes_; }

  void accept() override;

 private:
  ReportInfo report_;
  std::vector<QLineEdit*> fields_;
  QPlainTextEdit* notes_;
};

}  // namespace pelnor
