// The monthly demand report: heading, contract data, the month's figures in three small
// tables, the load curves of the month and of its highest- and lowest-demand days, and
// the notes. Empty while a day is displayed.
#pragma once

#include <QString>

#include "views/chart_frame.h"
#include "views/graph_data.h"
#include "views/sheet_data.h"

class QPainter;

namespace pelnor {

class CReportData {
 public:
  // corpName is the reporting company of the report label file. The month's report
  // data must have been completed (fillReportDefaults) by the caller.
  // Only a loaded month has a report; any other period leaves it empty.
  void Build(const ContentSource& source, Period period, const DateTime& start, const QString& corpName);
  bool empty() const { return !built_; }

  void Draw(QPainter& painter, const QRect& rect, const DrawMetrics& metrics, const AxisScale& demandScale,
            const AxisScale& energyScale, const GraphStyle& style);

  // The highest- and lowest-demand days (1-based), 0 when there is none.
  int highestDay() const { return highestDay_; }
  int lowestDay() const { return lowestDay_; }
  const CCellGrid& grid(const char* name) const;
  const ChartFrame& monthChart() const { return monthChart_; }

 private:
  struct DayCurve {
    DateTime date;
    Series demand, temperature;
  };
  void configure(const AxisScale& demandScale, const AxisScale& energyScale, const GraphStyle& style);
  DayCurve curveOf(const MonthRecord& month, int day) const;

  bool built_ = false;
  DateTime start_;
  bool configureAgain_ = true;
  int highestDay_ = 0, lowestDay_ = 0;
  CCellGrid date_, title_, issuer_, contract_, equipment_, intro_;
  CCellGrid demandHeading_, demand_, energyHeading_, energy_, temperatureHeading_, temperature_, notes_;
  Series monthDemand_, monthEnergy_;
  DayCurve highest_, lowest_;
  ChartFrame monthChart_, highestChart_, lowestChart_;
};

}  // namespace pelnor
