// The two stacked charts of a day, a month or a year: demand bars with the temperature
// line, and demand bars with the energy line; a year's charts also show the contract demand.
#pragma once

#include <QColor>
#include <QRect>
#include <optional>

#include "views/chart_frame.h"
#include "views/sheet_data.h"

class QPainter;

namespace pelnor {

// Colours and widths of the graph attributes.
struct GraphStyle {
  QColor demandColor = QColor(0, 255, 0);
  QColor temperatureColor = QColor(0, 0, 255);
  QColor energyColor = QColor(255, 0, 0);
  int temperatureWidth = 3;
  int energyWidth = 3;
  QColor contractColor = QColor(128, 0, 128);  // not among the colours a user picks by default
};

// A settings colour, 0x00BBGGRR.
QColor colorFromBgr(uint32_t bgr);

class CGraphData {
 public:
  void Build(const ContentSource& source, Period period, const DateTime& start);

  // Both charts in rect; on screen the sheet's header block stands above them.
  void Draw(QPainter& painter, const QRect& rect, const DrawMetrics& metrics, CSheetData* sheet,
            const AxisScale& demandScale, const AxisScale& energyScale, const GraphStyle& style);

  const Series& demand() const { return demand_; }
  const Series& temperature() const { return temperature_; }
  const Series& energy() const { return energy_; }
  double contractKw() const { return contractKw_; }
  const ChartFrame& upperFrame() const { return upper_; }
  const ChartFrame& lowerFrame() const { return lower_; }

 private:
  void configure(const AxisScale& demandScale, const AxisScale& energyScale, const GraphStyle& style);

  std::optional<Period> period_;  // empty until built
  DateTime start_;
  bool configureAgain_ = true;
  Series demand_, temperature_, energy_;
  double contractKw_ = 0;  // a year's contract demand; 0: none
  ChartFrame upper_, lower_;
};

// The text shown while nothing is displayed and a maintenance switch is on.
extern const char* const kDebugModeText;
// Draws it at the top left of rect.
void drawDebugModeText(QPainter& painter, const QRect& rect);

}  // namespace pelnor
