#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "app/frame_switch_wnd.h"
#include "app/pelnor_doc.h"
#include "app/view_graph.h"
#include "app/view_report.h"
#include "app/view_sheet.h"
#include "comm/port_scan.h"
#include "data/report_defaults.h"
#include "data/text.h"
#include "data/vct_change.h"
#include "dialogs/about_box.h"
#include "dialogs/cng_data.h"
#include "dialogs/comm_read.h"
#include "dialogs/csv_out.h"
#include "dialogs/csv_out_val.h"
#include "dialogs/input_rep.h"
#include "dialogs/input_span.h"
#include "dialogs/set_line_attr.h"
#include "dialogs/set_mc.h"
#include "ui/icons.h"
#include "ui/period_bar.h"
#include "views/print_pages.h"

namespace pelnor {

namespace {

QString q(const std::string& utf8) { return QString::fromStdString(utf8); }

constexpr const char* kNoDevice = "機器が設定されていません\n先に「機器の設定」を行ってください";

}  // namespace

CMainFrame::CMainFrame(AppContext& app, CPelnorDoc& doc) : app_(app), doc_(doc) {
  setObjectName("CMainFrame");
  setWindowIcon(applicationIcon());
  buildActions();
  buildMenus();
  buildToolBars();
  buildStatusBar();

  // The views, one shown at a time; before the first display an empty place.
  switchFrame_ = new CFrameSwitchWnd(
      [this](ViewKind kind) -> QWidget* {
        switch (kind) {
          case ViewKind::Graph:
            return new CViewGraph(doc_);
          case ViewKind::Sheet:
            return new CViewSheet(doc_);
          case ViewKind::Report:
            return new CViewReport(doc_);
        }
        return nullptr;
      },
      this);
  setCentralWidget(switchFrame_);

  connect(&doc_, &CPelnorDoc::viewKindChanged, this, &CMainFrame::SwitchView);
  connect(&doc_, &CPelnorDoc::energyScaleChosen, this, [this] { ShowEnergyScale(); });
  connect(&doc_, &CPelnorDoc::updated, this, [this](int hint) {
    if (hint == CPelnorDoc::kHintReloaded && !selectorsInitialised_) {
      selectorsInitialised_ = true;
      InitSelectors();
    }
    updateTitle();
    updateCommandStates();
  });
  updateTitle();
  resize(kFirstSize);
}

CMainFrame::~CMainFrame() = default;

std::pair<Period, DateTime> CMainFrame::GetSelection() const {
  return {periodBar_->period(), periodBar_->date()};
}

void CMainFrame::ApplySelection(bool autoDemandScale, bool autoEnergyScale) {
  auto [period, date] = GetSelection();
  if (app_.history.monthPosition(date) < 0) return;  // only loaded periods are offered
  doc_.setView(period, 0, date, autoDemandScale, autoEnergyScale, false);
  updateCommandStates();
}

void CMainFrame::ShowEnergyScale() { periodBar_->showEnergyScale(doc_.display().energyScale); }

void CMainFrame::FillSelectors(Period period, const DateTime& first, const DateTime& last,
                               std::optional<DateTime> preferred) {
  periodBar_->offer(period, first, last, preferred);
}

void CMainFrame::InitSelectors() {
  std::vector<QString> scales;
  for (const ScaleEntry& e : doc_.display().energyScales) scales.push_back(q(formatText("%7.0f", e.top())));
  periodBar_->reset(scales);
}

void CMainFrame::SwitchView(ViewKind kind) { switchFrame_->SwitchView(kind); }

void CMainFrame::updateCommandStates() {
  const bool hasData = !app_.history.months.empty();
  const bool own = app_.location.isOwn();
  const bool monthly = GetSelection().first == Period::Month;
  const ViewKind kind = doc_.viewKind();
  auto set = [this](int id, bool enabled) { action(id)->setEnabled(enabled); };
  for (int id : {cmd::kCsvExport, cmd::kPrint, cmd::kRawExport, cmd::kVctChange, cmd::kSheet, cmd::kGraph,
                 cmd::kPreviousDate, cmd::kNextDate}) {
    set(id, hasData);
  }
  for (int id : {cmd::kDataCopy, cmd::kDeviceSettings, cmd::kCollect, cmd::kReadFile}) set(id, own);
  set(cmd::kReport, hasData && monthly);
  set(cmd::kReportEntry, kind == ViewKind::Report && monthly);
  set(cmd::kPrintPreview, hasData && app_.settings.printPreview != 0);
  action(cmd::kSheet)->setChecked(kind == ViewKind::Sheet);
  action(cmd::kGraph)->setChecked(kind == ViewKind::Graph);
  action(cmd::kReport)->setChecked(kind == ViewKind::Report);
  action(cmd::kToolBar)->setChecked(toolBar_->isVisible() || !isVisible());
  action(cmd::kStatusBar)->setChecked(statusBar()->isVisible() || !isVisible());
}

void CMainFrame::followHasData() {
  const bool hasData = !app_.history.months.empty();
  periodBar_->setPeriodsEnabled(hasData);
  if (doc_.viewKind() == ViewKind::Graph) enableScaleSelector();
}

void CMainFrame::enableScaleSelector() {
  periodBar_->setScaleEnabled(doc_.viewKind() != ViewKind::Sheet && !app_.history.months.empty() &&
                              GetSelection().first != Period::Year);
}

void CMainFrame::refuseWithoutDevices(const std::function<void()>& then) {
  if (app_.registry.count() == 0) {
    app_.reporter.beep();
    app_.reporter.error(kNoDevice);
    return;
  }
  then();
}

void CMainFrame::showPastData(int32_t deviceId, const DateTime& month, int count) {
  doc_.loadPastMonths(deviceId, month, count);
  followHasData();
  DateTime first, last;
  if (app_.history.firstAndLast(first, last)) {
    FillSelectors(GetSelection().first, first, last, std::nullopt);
    ApplySelection(true, true);
  }
  updateCommandStates();
}

void CMainFrame::collect(const std::filesystem::path& file) {
  CCommRead dialog(app_, file, app_.settings.showReceivedData != 0, this);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  // After a save that failed in part the received period is shown as it is stored.
  if (accepted || dialog.storeEnded()) {
    if (accepted) app_.settings.showReceivedData = dialog.showReceivedLines() ? 1 : 0;
    followHasData();
    // The day of the last received reading is shown.
    DateTime first, last;
    if (app_.history.firstAndLast(first, last)) {
      FillSelectors(Period::Day, first, last, dialog.lastReadingTime());
      ApplySelection(true, true);
    }
  }
  updateCommandStates();
}

void CMainFrame::onDeviceSettings() {
  CSetMc dialog(
      app_,
      [this] {
        return scanPorts([this](int port) { return app_.settings.serialDevicePath(port); },
                         SerialPort::kLockFolder,
                         [this](const std::string& line) { app_.appLog.WriteLine(line); });
      },
      this);
  dialog.exec();
  updateCommandStates();
}

void CMainFrame::onReportEntry() {
  auto [period, date] = GetSelection();
  const int position = app_.history.monthPosition(date);
  if (period != Period::Month || position < 0) return;
  CInputRep dialog(app_.history.monthAt(position).report, QString::fromStdString(app_.settings.corpName),
                   QString::fromStdString(app_.settings.inputTitle1),
                   yearPeakKw(summarizeYear(app_.history, date, app_.historyEnv())), this);
  if (dialog.exec() != QDialog::Accepted) return;
  ReportInfo entered = dialog.report();
  entered.entered = 1;
  rememberEnteredReport(entered, app_.history.device.deviceId, app_.registry);
  // The master first, then the month: the order in which every program takes the locks.
  if (app_.location.isOwn()) app_.registry.saveOrReload(app_.location.root(), app_.storage);
  app_.history.changeStoredMonth(date, app_.historyEnv(),
                                 [&](MonthRecord& month) { month.report = entered; });
  ApplySelection(false, false);
}

void CMainFrame::onGraphAttributes() {
  CSetLineAttr dialog(app_.settings, this);
  if (dialog.exec() != QDialog::Accepted) return;
  dialog.storeIn(app_.settings);
  if (!app_.history.months.empty()) ApplySelection(false, false);
}

void CMainFrame::onVctChange() {
  auto [period, date] = GetSelection();
  if (reapplyVctChange(app_.history, period, date, app_.historyEnv(), app_.reporter))
    ApplySelection(true, true);
}

void CMainFrame::onCsvExport() {
  auto [period, date] = GetSelection();
  if (app_.history.monthPosition(date) < 0) return;
  CCsvOut dialog(app_, period, date, this);
  if (dialog.exec() != QDialog::Accepted) return;
  app_.settings.csvOutDir = dialog.folder().toStdString();
  app_.settings.openAfterCsv = dialog.openAfter() ? 1 : 0;
  app_.settings.csvViewer = dialog.program().toStdString();
}

void CMainFrame::onRawExport() {
  const DateTime date = GetSelection().second;
  if (app_.history.monthPosition(date) < 0) return;
  const std::string folder =
      app_.settings.rawOutDir.empty() ? pathText(DataLocation::personalFolder()) : app_.settings.rawOutDir;
  CCsvOutVal dialog(app_, date, QString::fromStdString(folder), this);
  if (dialog.exec() == QDialog::Accepted) app_.settings.rawOutDir = dialog.folder().toStdString();
}

QPrinter& CMainFrame::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void CMainFrame::onPrint(bool preview) {
  DateTime first, last;
  if (!app_.history.firstAndLast(first, last)) return;
  auto [period, date] = GetSelection();
  CInputDataSpan span(period, first, last, date, doc_.viewKind() == ViewKind::Report, app_.reporter, this);
  if (span.exec() != QDialog::Accepted) return;
  const PrintRange range{period, span.startDate(), span.endDate(), span.report()};
  const int savedEnergyScale = doc_.display().energyScale;
  const PageSource source{app_.history, app_.historyEnv(), app_.settings};
  if (preview) {
    QPrintPreviewDialog dialog(&printer(), this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [&](QPrinter* p) { printPages(*p, range, doc_.contents(), source); });
    dialog.exec();
  } else {
    QPrintDialog dialog(&printer(), this);
    dialog.setMinMax(1, pageCount(range));
    dialog.setFromTo(1, pageCount(range));
    if (dialog.exec() == QDialog::Accepted) {
      const bool someOnly = printer().printRange() == QPrinter::PageRange;
      printPages(printer(), range, doc_.contents(), source, someOnly ? printer().fromPage() : 0,
                 someOnly ? printer().toPage() : 0);
    }
  }
  // The views show the selectors' period again, with the user's energy scale.
  doc_.display().energyScale = savedEnergyScale;
  ShowEnergyScale();
  ApplySelection(true, false);
}

void CMainFrame::onKeyIn() {
  DateTime first, last;
  const bool loaded = app_.history.firstAndLast(first, last);
  // Only a day shown opens the dialog on its date.
  const DateTime shown = GetSelection().first == Period::Day ? GetSelection().second : DateTime::now();
  CInputDay dialog(shown.isValid() ? shown : DateTime::now(),
                   loaded ? first : DateTime(DateTime::kInvalid, 0),
                   loaded ? last : DateTime(DateTime::kInvalid, 0), app_.reporter, this);
  if (dialog.exec() != QDialog::Accepted) return;
  if (GetSelection().first != Period::Day) FillSelectors(Period::Day, first, last, dialog.date());
  periodBar_->choose(dialog.date());
  ApplySelection(true, true);
}

void CMainFrame::onPastData() {
  CCngData dialog(app_, this);
  connect(&dialog, &CCngData::locationChanged, this,
          [this] { Q_EMIT doc_.updated(CPelnorDoc::kHintReloaded); });
  dialog.setMonthsBack(app_.settings.monthsToLoad);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  app_.pastDevicePosition = dialog.devicePosition();
  app_.pastMonth = dialog.month();
  if (!accepted) {
    updateTitle();
    updateCommandStates();
    return;
  }
  app_.settings.monthsToLoad = dialog.monthsBack();
  const DeviceRecord& device = app_.registry.deviceAt(app_.pastDevicePosition);
  showPastData(device.deviceId, app_.pastMonth, app_.settings.monthsToLoad);
  updateTitle();
}

void CMainFrame::onPageDate(int step) {
  if (app_.history.months.empty()) return;
  if (periodBar_->step(step)) ApplySelection(true, true);
}

void CMainFrame::onKindChanged() {
  DateTime first, last;
  if (app_.history.firstAndLast(first, last)) {
    // A year is most often wanted up to the newest month; days and months start at the oldest.
    const Period period = GetSelection().first;
    FillSelectors(period, first, last, period == Period::Year ? std::optional(last) : std::nullopt);
  }
  ApplySelection(true, true);
  enableScaleSelector();
}

void CMainFrame::onViewCommand(ViewKind kind) {
  doc_.setViewKind(kind);
  enableScaleSelector();
  updateCommandStates();
}

void CMainFrame::onAbout() {
  CAboutBox box(this);
  box.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  doc_.close(*this);
  event->accept();
}

bool CMainFrame::event(QEvent* event) {
  // The first show: the main view asks for the graph, which becomes the first display.
  if (event->type() == QEvent::Show && !shownOnce_) {
    shownOnce_ = true;
    doc_.setViewKind(ViewKind::Graph);
    updateCommandStates();
  }
  return QMainWindow::event(event);
}

}  // namespace pelnor
