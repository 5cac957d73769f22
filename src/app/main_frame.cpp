#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
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
#include "dialogs/dat_copy.h"
#include "dialogs/input_rep.h"
#include "dialogs/input_span.h"
#include "dialogs/set_line_attr.h"
#include "dialogs/set_mc.h"
#include "ui/icons.h"
#include "ui/input_label.h"
#include "ui/lock_key_panes.h"
#include "ui/period_bar.h"
#include "ui/screen_fit.h"
#include "views/print_pages.h"

namespace pelnor {

namespace {

QString q(const std::string& utf8) { return QString::fromStdString(utf8); }

constexpr const char* kTitle = "ペルノー";
constexpr const char* kViewModeTitle = "ペルノー（ビューモード）";
constexpr QSize kFirstSize(1024, 720);
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

QAction* CMainFrame::makeAction(int id, const QString& text, const QString& prompt, const QString& tip) {
  auto* action = new QAction(commandIcon(id), text, this);
  action->setObjectName(QStringLiteral("id%1").arg(id));
  action->setStatusTip(prompt);
  action->setToolTip(tip);
  action->setIconVisibleInMenu(true);
  actions_[id] = action;
  return action;
}

void CMainFrame::buildActions() {
  makeAction(cmd::kCsvExport, "集計データをテキストで出力 ( CSVﾌｧｲﾙ )(&S)", "ﾃｷｽﾄ出力", "ﾃｷｽﾄ出力");
  makeAction(cmd::kDataCopy, "集計データを別の場所へコピー(&C)...", "コピー", "コピー");
  // Qt writes the key beside the text itself.
  makeAction(cmd::kPrint, "印刷...(&P)", "アクティブなドキュメントを印刷します", "印刷")
      ->setShortcut(QKeySequence("Ctrl+P"));
  makeAction(cmd::kPrintSetup, "プリンタの設定(&R)...", "プリンタおよび印刷オプションを変更します",
             "印刷設定");
  makeAction(cmd::kExit, "アプリケーションの終了(&X)", "アプリケーションを終了します", "終了")
      ->setShortcut(QKeySequence("Ctrl+Q"));
  makeAction(cmd::kDeviceSettings, "機器の設定(&M)...", "機器設定", "機器設定");
  makeAction(cmd::kGraphAttributes, "グラフ描画属性の設定(&G)...", "グラフ描画属性の設定",
             "グラフ描画属性の設定");
  makeAction(cmd::kCollect, "ﾃﾞｰﾀの収集(&I)", "ﾃﾞｰﾀの収集", "ﾃﾞｰﾀの収集");
  makeAction(cmd::kReadFile, "ﾃﾞｰﾀをﾌｧｲﾙから読み込む(&F)...", "計測ﾃﾞｰﾀをﾌｧｲﾙから読み込む",
             "計測ﾃﾞｰﾀをﾌｧｲﾙから読み込む");
  makeAction(cmd::kRawExport, "ﾃﾞｰﾀをﾌｧｲﾙへ書き込む(&W)...", "ﾌｧｲﾙへ書き込む", "ﾌｧｲﾙへ書き込む");
  makeAction(cmd::kPastData, "過去データの表示(&D)...", "過去データ表示", "過去データ表示");
  makeAction(cmd::kVctChange, "VCT(一次電流)の変更(&S)...", "VCT(一次電流)の再設定", "VCT(一次電流)の再設定");
  makeAction(cmd::kSheet, "表(&S)", "表", "表")->setCheckable(true);
  makeAction(cmd::kGraph, "グラフ(&T)", "グラフ", "グラフ")->setCheckable(true);
  makeAction(cmd::kReport, "月次報告書(&H)", "報告書", "報告書")->setCheckable(true);
  makeAction(cmd::kReportEntry, "月次報告書記入(&I)...", "報告記入", "報告記入");
  // 表(&S) and グラフ(&T) keep their letters; the bars take letters of their own, so that
  // every letter of the menu chooses one item.
  makeAction(cmd::kToolBar, "ツール バー(&B)", "ツール バーの表示/非表示を切り替えます", "ツール バー")
      ->setCheckable(true);
  makeAction(cmd::kStatusBar, "ステータス バー(&U)", "ステータス バーの表示/非表示を切り替えます",
             "ステータス バー")
      ->setCheckable(true);
  makeAction(cmd::kAbout, "バージョン情報 (&A)...", "プログラム情報、バージョン、著作権を表示します",
             "バージョン情報");
  // Keys without a menu item: they work wherever the focus is in the window.
  QAction* preview = makeAction(cmd::kPrintPreview, "印刷プレビュー", "印刷プレビュー", "印刷プレビュー");
  preview->setShortcut(QKeySequence("Ctrl+V"));
  QAction* previous = makeAction(cmd::kPreviousDate, "前の日付", "", "");
  previous->setShortcut(QKeySequence(Qt::Key_Left));
  QAction* next = makeAction(cmd::kNextDate, "次の日付", "", "");
  next->setShortcut(QKeySequence(Qt::Key_Right));
  for (QAction* a : {preview, previous, next}) {
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
  }

  connect(action(cmd::kExit), &QAction::triggered, this, &QWidget::close);
  connect(action(cmd::kPastData), &QAction::triggered, this, &CMainFrame::onPastData);
  connect(previous, &QAction::triggered, this, [this] { onPageDate(-1); });
  connect(next, &QAction::triggered, this, [this] { onPageDate(1); });
  connect(action(cmd::kSheet), &QAction::triggered, this, [this] { onViewCommand(ViewKind::Sheet); });
  connect(action(cmd::kGraph), &QAction::triggered, this, [this] { onViewCommand(ViewKind::Graph); });
  connect(action(cmd::kAbout), &QAction::triggered, this, &CMainFrame::onAbout);
  connect(action(cmd::kCollect), &QAction::triggered, this,
          [this] { refuseWithoutDevices([this] { collect({}); }); });
  connect(action(cmd::kReadFile), &QAction::triggered, this, [this] {
    refuseWithoutDevices([this] {
      // The filter reads "計測ﾃﾞｰﾀﾌｧｲﾙ (*.*)" and matches every file, also those without a dot:
      // the pattern used is the last parenthesised one, and the details are not shown.
      const QString file =
          QFileDialog::getOpenFileName(this, "計測データファイルを開く", QString(), "計測ﾃﾞｰﾀﾌｧｲﾙ (*.*) (*)",
                                       nullptr, QFileDialog::HideNameFilterDetails);
      if (!file.isEmpty()) collect(pathFromText(file.toStdString()));
    });
  });
  connect(action(cmd::kDeviceSettings), &QAction::triggered, this, &CMainFrame::onDeviceSettings);
  connect(action(cmd::kReport), &QAction::triggered, this, [this] { onViewCommand(ViewKind::Report); });
  connect(action(cmd::kReportEntry), &QAction::triggered, this, &CMainFrame::onReportEntry);
  connect(action(cmd::kGraphAttributes), &QAction::triggered, this, &CMainFrame::onGraphAttributes);
  connect(action(cmd::kVctChange), &QAction::triggered, this, &CMainFrame::onVctChange);
  connect(action(cmd::kCsvExport), &QAction::triggered, this, &CMainFrame::onCsvExport);
  connect(action(cmd::kRawExport), &QAction::triggered, this, &CMainFrame::onRawExport);
  connect(action(cmd::kDataCopy), &QAction::triggered, this, [this] {
    CDatCopy dialog(app_, this);
    dialog.exec();
    if (!dialog.chosenFolder().empty()) app_.settings.copyDir = dialog.chosenFolder();
  });
  connect(action(cmd::kPrint), &QAction::triggered, this, [this] { onPrint(false); });
  connect(action(cmd::kPrintPreview), &QAction::triggered, this, [this] { onPrint(true); });
  connect(action(cmd::kPrintSetup), &QAction::triggered, this, [this] {
    QPageSetupDialog dialog(&printer(), this);
    dialog.exec();
  });
}

void CMainFrame::buildMenus() {
  QMenu* file = menuBar()->addMenu("ファイル(&F)");
  for (int id : {cmd::kCsvExport, cmd::kDataCopy, cmd::kPrint, cmd::kPrintSetup}) file->addAction(action(id));
  file->addSeparator();
  file->addAction(action(cmd::kExit));
  QMenu* settings = menuBar()->addMenu("設定(&S)");
  for (int id : {cmd::kDeviceSettings, cmd::kGraphAttributes}) settings->addAction(action(id));
  QMenu* data = menuBar()->addMenu("計測データ(&M)");
  for (int id : {cmd::kCollect, cmd::kReadFile, cmd::kRawExport}) data->addAction(action(id));
  data->addSeparator();
  data->addAction(action(cmd::kPastData));
  data->addSeparator();
  data->addAction(action(cmd::kVctChange));
  QMenu* view = menuBar()->addMenu("表示(&V)");
  for (int id : {cmd::kSheet, cmd::kGraph, cmd::kReport, cmd::kReportEntry}) view->addAction(action(id));
  view->addSeparator();
  view->addAction(action(cmd::kToolBar));
  view->addAction(action(cmd::kStatusBar));
  QMenu* help = menuBar()->addMenu("このソフトについて(&H)");
  help->addAction(action(cmd::kAbout));
  // The rules are looked at whenever a menu opens, as the platform's idle update would.
  for (QMenu* menu : {file, settings, data, view, help}) {
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
  }
}

void CMainFrame::buildToolBars() {
  toolBar_ = addToolBar("ツール バー");
  toolBar_->setObjectName("toolBar128");
  toolBar_->setIconSize(QSize(32, 32));
  // Both bars stay where they are: a bar dragged away or closed from a context menu could
  // not be brought back.
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  setContextMenuPolicy(Qt::PreventContextMenu);
  const int order[] = {cmd::kCsvExport,   cmd::kPrint, 0,           cmd::kDeviceSettings, 0, cmd::kCollect,
                       cmd::kPastData,    0,           cmd::kSheet, cmd::kGraph,          0, cmd::kReport,
                       cmd::kReportEntry, 0,           cmd::kAbout};
  for (int id : order) {
    if (id == 0) {
      toolBar_->addSeparator();
    } else {
      toolBar_->addAction(action(id));
    }
  }
  connect(action(cmd::kToolBar), &QAction::toggled, toolBar_, &QWidget::setVisible);

  addToolBarBreak();
  dialogBar_ = addToolBar("ダイアログ バー");
  dialogBar_->setObjectName("dialogBar128");
  dialogBar_->setMovable(false);
  dialogBar_->setFloatable(false);
  periodBar_ = new PeriodBar(dialogBar_);
  dialogBar_->addWidget(periodBar_);

  connect(periodBar_, &PeriodBar::kindChosen, this, [this] { onKindChanged(); });
  connect(periodBar_, &PeriodBar::dateChosen, this, [this] { ApplySelection(true, true); });
  connect(periodBar_, &PeriodBar::keyInRequested, this, &CMainFrame::onKeyIn);
  connect(periodBar_, &PeriodBar::energyScaleChosen, this, [this](int index) {
    doc_.display().energyScale = index;
    ApplySelection(true, false);
  });
}

void CMainFrame::buildStatusBar() {
  // The idle text is a normal widget: a menu prompt covers it and it shows again when the
  // prompt is gone.
  auto* idle = new QLabel("レディ", this);
  idle->setObjectName("idleText");
  statusBar()->addWidget(idle, 1);
  new LockKeyPanes(*statusBar());
  connect(action(cmd::kStatusBar), &QAction::toggled, statusBar(), &QWidget::setVisible);
}

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

void CMainFrame::updateTitle() { setWindowTitle(app_.location.isOwn() ? kTitle : kViewModeTitle); }

void CMainFrame::applyPlacement(const CAppSettings& settings) {
  QList<QRect> screens;
  if (const QScreen* primary = QGuiApplication::primaryScreen()) screens << primary->availableGeometry();
  for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
  // A first start (or a placement from another installation) opens at the usual size in the
  // middle of the main screen.
  QRect wanted(QPoint(0, 0), kFirstSize);
  if (!screens.isEmpty()) wanted.moveCenter(screens.front().center());
  const WindowPlacement& p = settings.windowPlacement;
  if (settings.installationChanged == 0 && settings.placementValid != 0 && p.right > p.left &&
      p.bottom > p.top)
    wanted = QRect(p.left, p.top, p.right - p.left, p.bottom - p.top);
  const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                       frameGeometry().right() - geometry().right(),
                       frameGeometry().bottom() - geometry().bottom());
  setGeometry(fitIntoScreens(wanted, screens, frame));
}

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
