// The main window's chrome: its commands as actions, the menus, the two bars, the status
// bar, the title and the placement on the screen. The commands themselves are in
// main_frame.cpp.
#include <QAction>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "app/main_frame.h"
#include "app/pelnor_doc.h"
#include "data/path_text.h"
#include "dialogs/dat_copy.h"
#include "ui/icons.h"
#include "ui/lock_key_panes.h"
#include "ui/period_bar.h"
#include "ui/screen_fit.h"

namespace pelnor {

namespace {

constexpr const char* kTitle = "ペルノー";
constexpr const char* kViewModeTitle = "ペルノー（ビューモード）";

}  // namespace

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

}  // namespace pelnor
