// The main window: menus, toolbar, the bar of selectors, the status bar and the views.
// Every user command arrives here; the frame opens dialogs, tells the document what to
// show and keeps the selectors in step with the loaded data.
#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "app/app_context.h"
#include "data/period.h"
#include "data/view_kind.h"

class QAction;
class QToolBar;
class QPrinter;

namespace pelnor {

class CPelnorDoc;
class CFrameSwitchWnd;
class PeriodBar;

// Command IDs of the menus, toolbar and accelerators.
namespace cmd {
constexpr int kCsvExport = 32786, kDataCopy = 32799, kPrint = 57607, kPrintSetup = 57606, kExit = 57665;
constexpr int kDeviceSettings = 32782, kGraphAttributes = 32798;
constexpr int kCollect = 32784, kReadFile = 32796, kRawExport = 32807, kPastData = 32788, kVctChange = 32805;
constexpr int kSheet = 131, kGraph = 130, kReport = 32801, kReportEntry = 32803, kToolBar = 59392,
              kStatusBar = 59393;
constexpr int kAbout = 57664, kPrintPreview = 57609, kPreviousDate = 32789, kNextDate = 32791;
}  // namespace cmd

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // The size of a first start, shrunk to the screen when that is smaller.
  static constexpr QSize kFirstSize{1024, 720};

  CMainFrame(AppContext& app, CPelnorDoc& doc);
  ~CMainFrame() override;

  // The period chosen in the selectors: its kind and the date it starts on.
  std::pair<Period, DateTime> GetSelection() const;
  void ApplySelection(bool autoDemandScale, bool autoEnergyScale);
  void ShowEnergyScale();
  void FillSelectors(Period period, const DateTime& first, const DateTime& last,
                     std::optional<DateTime> preferred);
  void InitSelectors();
  void SwitchView(ViewKind kind);

  // The enable and check rules of every command, evaluated now.
  void updateCommandStates();
  void updateTitle();
  // The stored window rectangle, when it was saved on this installation, else the usual
  // size; either fitted into the screen that holds most of it. The stored show state is
  // never used, so a window closed maximised opens normal.
  void applyPlacement(const CAppSettings& settings);
  QAction* action(int id) const { return actions_.at(id); }
  CFrameSwitchWnd& switchFrame() const { return *switchFrame_; }
  PeriodBar& periodBar() const { return *periodBar_; }

  // The past-data display after its dialog: load, fill the selectors, show the oldest.
  void showPastData(int32_t deviceId, const DateTime& month, int count);
  // A collection from the serial line (file empty) or a file, then the day of the last
  // received reading is shown.
  void collect(const std::filesystem::path& file);
  // The printer of print, preview and printer set-up, kept for the run.
  QPrinter& printer();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QAction* makeAction(int id, const QString& text, const QString& prompt, const QString& tip);
  void buildActions();
  void buildMenus();
  void buildToolBars();
  void buildStatusBar();
  void followHasData();
  // The energy scale is the user's on the graph and the report of a day or a month.
  void enableScaleSelector();
  void refuseWithoutDevices(const std::function<void()>& then);

  void onPastData();
  void onDeviceSettings();
  void onReportEntry();
  void onGraphAttributes();
  void onVctChange();
  void onCsvExport();
  void onRawExport();
  void onPrint(bool preview);
  void onKeyIn();
  void onPageDate(int step);
  void onKindChanged();
  void onViewCommand(ViewKind kind);
  void onAbout();

  AppContext& app_;
  CPelnorDoc& doc_;
  std::map<int, QAction*> actions_;
  QToolBar* toolBar_ = nullptr;
  QToolBar* dialogBar_ = nullptr;
  PeriodBar* periodBar_ = nullptr;
  CFrameSwitchWnd* switchFrame_ = nullptr;
  bool selectorsInitialised_ = false;
  bool shownOnce_ = false;
  std::unique_ptr<QPrinter> printer_;  // made when first needed: it looks for printers
};

}  // namespace pelnor
