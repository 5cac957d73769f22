// The document: what the window shows. It owns the display state and the contents of
// the table and the graph, rebuilds them whenever the displayed period changes, and tells
// the views to repaint.
#pragma once

#include <QObject>

#include "app/app_context.h"
#include "data/display_state.h"
#include "views/view_contents.h"

class QWidget;

namespace pelnor {

class CPelnorDoc : public QObject {
  Q_OBJECT

 public:
  static constexpr int kHintReloaded = 101;
  static constexpr int kHintPeriod = 102;

  explicit CPelnorDoc(AppContext& app, QObject* parent = nullptr);

  // Once per run: falls back to the own location when the other has no master file, loads
  // the registry; every call sends hint 101.
  void firstInit();
  // The displayed period; its month must be loaded.
  void setView(Period period, int outputFlag, const DateTime& date, bool rescaleDemand, bool rescaleEnergy,
               bool quiet);
  void setViewKind(ViewKind kind);
  ViewKind viewKind() const { return contents_.display.viewKind; }
  // The past-data display: the chosen month and count - 1 months before it.
  void loadPastMonths(int32_t deviceId, const DateTime& month, int count);
  // Shutdown: the master is saved in own mode only, and the window placement is taken.
  void close(const QWidget& mainWindow);

  DisplayState& display() { return contents_.display; }
  CSheetData& sheet() { return contents_.sheet; }
  CGraphData& graph() { return contents_.graph; }
  CReportData& report() { return contents_.report; }
  ViewContents& contents() { return contents_; }
  AxisScale demandAxis() const;
  AxisScale energyAxis() const;
  GraphStyle graphStyle() const;
  DrawMetrics screenMetrics() const;
  AppContext& app() { return app_; }
  // What the views show, in words: the device, the period and its kind.
  QString description() const;

 Q_SIGNALS:
  void updated(int hint);
  void viewKindChanged(ViewKind kind);
  void energyScaleChosen(int index);

 private:
  AppContext& app_;
  ViewContents contents_;
  bool initialised_ = false;
  DateTime shownDate_{DateTime::kInvalid, 0};
};

}  // namespace pelnor
