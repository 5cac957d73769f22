// The window's frame as a user meets it: Qt's dialogs in Japanese, a placement that lies on
// the screen, bars that stay, the idle text, the menu letters.
#include <QAccessible>
#include <QColorDialog>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWidgetAction>
#include <map>
#include <memory>
#include <string>

#include "app/frame_switch_wnd.h"
#include "gui_fixture.h"
#include "spoken_name.h"
#include "ui/deferred_icons.h"
#include "ui/icons.h"
#include "ui/screen_fit.h"

namespace pelnor {
namespace {

using namespace test;

TEST(QtTranslation, QtsOwnDialogsSpeakJapanese) {
  // gui_test_main installs the catalogue as the program does.
  QFileDialog files(nullptr, "計測データファイルを開く");
  files.setOption(QFileDialog::DontUseNativeDialog);
  QStringList buttons;
  for (const QPushButton* b : files.findChildren<QPushButton*>()) buttons << b->text();
  EXPECT_TRUE(buttons.contains("キャンセル")) << buttons.join(", ").toStdString();
  EXPECT_FALSE(buttons.contains("Cancel"));

  QColorDialog colours;
  colours.setOption(QColorDialog::DontUseNativeDialog);
  EXPECT_NE(colours.windowTitle(), "Select Color");
}

TEST(ScreenFit, APlacementComesBackOnAScreen) {
  const QRect small(0, 0, 800, 600);
  const QRect right(800, 0, 1920, 1080);
  const QMargins frame(4, 24, 4, 4);
  struct Case {
    const char* what;
    QRect wanted;
    QList<QRect> screens;
    QMargins frame;
    QRect expected;
  };
  const Case cases[] = {
      {"fits: unchanged", {100, 100, 400, 300}, {small}, {}, {100, 100, 400, 300}},
      {"larger than the screen: the whole area", {0, 0, 2400, 1300}, {small}, {}, small},
      {"frame kept inside too", {0, 0, 2400, 1300}, {small}, frame, {4, 24, 792, 572}},
      {"hanging off the right edge: moved in", {600, 100, 400, 300}, {small}, {}, {400, 100, 400, 300}},
      {"from a screen that is gone: onto the first",
       {3000, 2000, 400, 300},
       {small},
       {},
       {400, 300, 400, 300}},
      {"negative corner: moved in", {-50, -20, 400, 300}, {small}, {}, {0, 0, 400, 300}},
      {"on the screen holding most of it", {700, 50, 400, 300}, {small, right}, {}, {800, 50, 400, 300}},
      {"no screens: unchanged", {5, 5, 10, 10}, {}, {}, {5, 5, 10, 10}},
  };
  for (const Case& c : cases) {
    const QRect fitted = fitIntoScreens(c.wanted, c.screens, c.frame);
    EXPECT_EQ(fitted, c.expected) << c.what;
  }
}

class FrameChromeTest : public GuiTest {
 protected:
  void SetUp() override { open(); }
  QRect available() const { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

TEST_F(FrameChromeTest, APlacementFromALargerScreenComesBackInsideThisOne) {
  CAppSettings settings;
  settings.placementValid = 1;
  WindowPlacement& p = settings.windowPlacement;
  p.left = 2400;
  p.top = 100;
  p.right = 2400 + 2560;
  p.bottom = 100 + 1440;
  frame->applyPlacement(settings);
  ASSERT_LT(available().width(), 2560);
  EXPECT_TRUE(available().contains(frame->frameGeometry())) << "inside the screen, frame and all";
  EXPECT_EQ(frame->frameGeometry().size(), available().size()) << "as large as the screen";

  // A first start: the usual size where it fits, the screen's where not.
  settings.placementValid = 0;
  frame->applyPlacement(settings);
  EXPECT_TRUE(available().contains(frame->frameGeometry()));
  ASSERT_LT(available().width(), 1024);
  ASSERT_GT(available().height(), 760);
  EXPECT_EQ(frame->frameGeometry().width(), available().width());
  EXPECT_EQ(frame->geometry().height(), 720);
}

TEST_F(FrameChromeTest, TheBarsCannotBeMovedOrClosedFromAContextMenu) {
  bool menuShown = false;
  QTimer::singleShot(200, [&] {
    if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      menuShown = true;
      popup->close();
    }
  });
  for (QToolBar* bar : frame->findChildren<QToolBar*>()) {
    EXPECT_FALSE(bar->isMovable()) << bar->objectName().toStdString();
    EXPECT_FALSE(bar->isFloatable()) << bar->objectName().toStdString();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), bar->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(bar, &click);
  }
  QTest::qWait(300);
  EXPECT_FALSE(menuShown);
  for (QToolBar* bar : frame->findChildren<QToolBar*>()) EXPECT_TRUE(bar->isVisible());
}

TEST_F(FrameChromeTest, EveryToolbarCommandHasItsIconAtMenuAndToolbarSizes) {
  for (QToolBar* bar : frame->findChildren<QToolBar*>()) {
    for (QAction* action : bar->actions()) {
      if (action->isSeparator() || qobject_cast<QWidgetAction*>(action)) continue;
      for (int size : {16, 32}) {
        EXPECT_EQ(action->icon().actualSize(QSize(size, size)), QSize(size, size))
            << action->objectName().toStdString() << " at " << size;
      }
    }
  }
  EXPECT_FALSE(applicationIcon().isNull());
  EXPECT_EQ(applicationIcon().availableSizes().size(), 4);
}

// Every pixel of icon is what reference shows: at sizes between and beyond the drawn ones, in
// each mode, painted at once and twice the density.
void expectSameIcon(const QIcon& icon, const QIcon& reference, const std::string& what) {
  ASSERT_FALSE(icon.isNull()) << what;
  EXPECT_EQ(icon.availableSizes(), reference.availableSizes()) << what;
  for (int size : {8, 16, 20, 24, 31, 32, 40, 48, 60, 64, 96}) {
    const QSize wanted(size, size);
    EXPECT_EQ(icon.actualSize(wanted), reference.actualSize(wanted)) << what << " " << size;
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
      EXPECT_EQ(icon.pixmap(wanted, mode).toImage(), reference.pixmap(wanted, mode).toImage())
          << what << " " << size << " mode " << mode;
    }
    for (qreal ratio : {1.0, 2.0}) {
      auto painted = [&](const QIcon& which) {
        QImage image(wanted * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        which.paint(&painter, QRect(QPoint(0, 0), wanted), Qt::AlignCenter, QIcon::Disabled);
        return image;
      };
      EXPECT_EQ(painted(icon), painted(reference)) << what << " " << size << " at " << ratio;
    }
  }
}

// Each PNG is decoded when first needed; every pixel is what an icon holding all the PNGs
// gives: the same file chosen for a size, scaled and greyed alike, painted alike at twice
// the density.
TEST(CommandIcons, DecodedOnDemandTheyShowWhatAnIconOfEveryPngShows) {
  const QIcon app = applicationIcon();  // loads the resources
  for (const QString& name : {QStringLiteral("app"), QStringLiteral("32782")}) {
    const QIcon lazy = name == "app" ? app : commandIcon(name.toInt());
    QIcon reference;
    for (int size : {16, 32, 48, 64}) {
      reference.addFile(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size), QSize(size, size));
    }
    expectSameIcon(lazy, reference, name.toStdString());
  }
  EXPECT_TRUE(commandIcon(1).isNull()) << "a command without a picture has no icon";
}

// The bars' overflow icons are made when first used, and are then the style's own.
TEST(DeferredIcons, TheOverflowIconsAreMadeWhenUsedAndAreTheStylesOwn) {
  int made = 0;
  const QIcon deferred = deferredIcon([&made] {
    ++made;
    return QApplication::style()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
  });
  EXPECT_EQ(made, 0);
  expectSameIcon(deferred, QApplication::style()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton),
                 "deferred");
  EXPECT_EQ(made, 1) << "made once, then kept";

  const std::unique_ptr<QStyle> plain(QStyleFactory::create("Fusion"));
  DeferredIconsStyle style(QStyleFactory::create("Fusion"));
  for (QStyle::StandardPixmap icon :
       {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton,
        QStyle::SP_MessageBoxWarning}) {
    expectSameIcon(style.standardIcon(icon, nullptr, nullptr), plain->standardIcon(icon),
                   "standard icon " + std::to_string(icon));
  }
}

TEST_F(FrameChromeTest, TheIdleTextComesBackAfterEveryPrompt) {
  auto* idle = frame->statusBar()->findChild<QLabel*>("idleText");
  ASSERT_NE(idle, nullptr);
  EXPECT_EQ(idle->text(), "レディ");
  for (int round = 0; round < 2; ++round) {
    QStatusTipEvent prompt("機器設定");
    QApplication::sendEvent(frame.get(), &prompt);
    EXPECT_EQ(frame->statusBar()->currentMessage(), "機器設定");
    EXPECT_FALSE(idle->isVisible()) << "covered by the prompt";
    QStatusTipEvent gone("");
    QApplication::sendEvent(frame.get(), &gone);
    EXPECT_TRUE(idle->isVisible()) << "round " << round;
  }
}

TEST_F(FrameChromeTest, EveryMenuLetterChoosesOneItemAndTheKeysAreQtsOwn) {
  for (QAction* top : frame->menuBar()->actions()) {
    std::map<QChar, QString> letters;
    for (QAction* item : top->menu()->actions()) {
      if (item->isSeparator()) continue;
      const QString text = item->text();
      EXPECT_FALSE(text.contains('\t')) << text.toStdString();
      const qsizetype amp = text.indexOf('&');
      ASSERT_GE(amp, 0) << "no letter: " << text.toStdString();
      const QChar letter = text.at(amp + 1).toUpper();
      EXPECT_FALSE(letters.count(letter)) << text.toStdString() << " and " << letters[letter].toStdString();
      letters[letter] = text;
    }
  }
  EXPECT_EQ(frame->action(cmd::kPrint)->shortcut(), QKeySequence("Ctrl+P"));
  EXPECT_EQ(frame->action(cmd::kExit)->shortcut(), QKeySequence("Ctrl+Q"));
}

QString spoken(QWidget* w, QAccessible::Text what) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
  return face ? face->text(what) : QString();
}

TEST_F(FrameChromeTest, SelectorsAreToldByWhatTheyChooseAndViewsByWhatTheyShow) {
  storeMonth(2024, 1, {1});
  frame->showPastData(12, DateTime::fromFields(2024, 1, 1), 1);
  EXPECT_EQ(spokenName(&frame->periodBar().kindSelector()), "種類：");
  EXPECT_EQ(spokenName(&frame->periodBar().dateSelector()), "日付：");
  EXPECT_EQ(spokenName(&frame->periodBar().scaleSelector()), "使用電力ｽｹｰﾙ");

  QWidget* graph = frame->switchFrame().viewOf(ViewKind::Graph);
  ASSERT_NE(graph, nullptr);
  EXPECT_EQ(spoken(graph, QAccessible::Name), "グラフ");
  EXPECT_EQ(spoken(graph, QAccessible::Description), "機器ＩＤ 12 山田：2024年 1月 1日（日別）");
  frame->action(cmd::kSheet)->trigger();
  QWidget* sheet = frame->switchFrame().viewOf(ViewKind::Sheet);
  frame->periodBar().kindSelector().setCurrentIndex(1);
  QMetaObject::invokeMethod(&frame->periodBar().kindSelector(), "activated", Q_ARG(int, 1));
  EXPECT_EQ(spoken(sheet, QAccessible::Name), "表");
  EXPECT_EQ(spoken(sheet, QAccessible::Description), "機器ＩＤ 12 山田：2024年 1月（月別）");
}

}  // namespace
}  // namespace pelnor
