// The monthly report in the window. A report exists for a month only: for a day the
// view says how to get one.
#pragma once

#include <QWidget>

namespace pelnor {

class CPelnorDoc;

class CViewReport : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kMonthOnlyHint = "月別を選ぶと報告書を表示します";

  explicit CViewReport(CPelnorDoc& doc, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CPelnorDoc& doc_;
};

}  // namespace pelnor
