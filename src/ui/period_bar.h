// The bar of selectors under the toolbar: the kind of period (種類), the period itself
// (日付), the energy scale of the graph and the report (使用電力ｽｹｰﾙ) and "ｷｰ入力". It says
// which period was chosen as a kind and a date; what to show is the frame's business.
#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "data/period.h"

class QComboBox;
class QPushButton;

namespace pelnor {

// The object names of the selectors: the IDs the controls have always had.
inline constexpr const char* kKindSelectorName = "id1017";
inline constexpr const char* kDateSelectorName = "id1018";
inline constexpr const char* kScaleSelectorName = "id1019";
inline constexpr const char* kKeyInButtonName = "id1020";

class PeriodBar : public QWidget {
  Q_OBJECT

 public:
  explicit PeriodBar(QWidget* parent = nullptr);

  // Before any data: the three kinds, today's day, the energy scales' tops, all disabled.
  void reset(const std::vector<QString>& energyScaleTexts);
  // Offers the periods of the kind from first to last and chooses the one that holds
  // preferred, else the first.
  void offer(Period period, const DateTime& first, const DateTime& last, std::optional<DateTime> preferred);
  // Chooses the offered period that holds date; false when none does.
  bool choose(const DateTime& date);
  // Chooses the period steps away from the chosen one; false past either end.
  bool step(int steps);

  Period period() const;
  // The start of the chosen period; invalid when none is offered.
  DateTime date() const;

  void showEnergyScale(int index);
  void setPeriodsEnabled(bool enabled);
  void setScaleEnabled(bool enabled);

  QComboBox& kindSelector() const { return *kind_; }
  QComboBox& dateSelector() const { return *date_; }
  QComboBox& scaleSelector() const { return *scale_; }

 Q_SIGNALS:
  // By the user only; the bar's own changes say nothing.
  void kindChosen();
  void dateChosen();
  void energyScaleChosen(int index);
  void keyInRequested();

 private:
  QComboBox* kind_;
  QComboBox* date_;
  QComboBox* scale_;
  QPushButton* keyIn_;
};

}  // namespace pelnor
