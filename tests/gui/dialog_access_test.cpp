// Every dialog as a keyboard and screen-reader user meets it: each input has a name a screen
// reader says, each label that names an input has a letter that reaches it, and Tab goes
// through the dialog instead of getting caught in a list.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <functional>

#include "dialogs/about_box.h"
#include "dialogs/cng_data.h"
#include "dialogs/cng_data_dir.h"
#include "dialogs/comm_read.h"
#include "dialogs/csv_out.h"
#include "dialogs/csv_out_val.h"
#include "dialogs/dat_copy.h"
#include "dialogs/input_rep.h"
#include "dialogs/input_span.h"
#include "dialogs/set_line_attr.h"
#include "dialogs/set_mc.h"
#include "dialogs/set_serial.h"
#include "gui_fixture.h"
#include "spoken_name.h"
#include "ui/color_button.h"
#include "ui/color_palette.h"
#include "ui/device_list.h"

namespace pelnor {
namespace {

using namespace test;

class DialogAccessTest : public GuiTest {
 protected:
  void SetUp() override {
    storeMonth(2024, 1, {1});
    app.registry.load(app.location.root(), app.storage);
    app.history.loadPastMonths(12, DateTime::fromFields(2024, 1, 1), 1, app.historyEnv());
  }

  // Every dialog of the program, made as the window makes it.
  std::vector<std::pair<const char*, std::function<std::unique_ptr<QDialog>()>>> dialogs() {
    const DateTime month = DateTime::fromFields(2024, 1, 1);
    const auto scan = [] { return std::vector<int>{}; };
    return {
        {"about", [&] { return std::make_unique<CAboutBox>(); }},
        {"past data", [&] { return std::make_unique<CCngData>(app); }},
        {"data location", [&] { return std::make_unique<CCngDataDir>(app); }},
        {"reception", [&] { return std::make_unique<CCommRead>(app, dir.path() / "none", true); }},
        {"csv", [&] { return std::make_unique<CCsvOut>(app, Period::Month, month); }},
        {"raw", [&] { return std::make_unique<CCsvOutVal>(app, month, "/tmp"); }},
        {"copy", [&] { return std::make_unique<CDatCopy>(app); }},
        {"report entry", [&] { return std::make_unique<CInputRep>(ReportInfo{}, "会社", "事業所"); }},
        {"print span",
         [&] {
           return std::make_unique<CInputDataSpan>(Period::Month, month, month, month, true, app.reporter);
         }},
        {"key in", [&] { return std::make_unique<CInputDay>(month, month, month, app.reporter); }},
        {"graph attributes", [&] { return std::make_unique<CSetLineAttr>(app.settings); }},
        {"devices", [&] { return std::make_unique<CSetMc>(app, scan); }},
        {"line settings",
         [&] {
           return std::make_unique<CSetSerial>(app.registry.commSettings, scan,
                                               [](int) { return std::string("/dev/ttyS0"); });
         }},
    };
  }
};

// A widget a user puts the focus on to enter or choose something; the parts inside a
// combo box or spin box are the box's own.
bool isInput(const QWidget* w) {
  if (w->focusPolicy() == Qt::NoFocus) return false;
  for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
    if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p)) return false;
  }
  return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
         qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractButton*>(w);
}

TEST_F(DialogAccessTest, EveryInputOfEveryDialogHasANameAndEveryNamingLabelALetter) {
  for (auto& [what, make] : dialogs()) {
    SCOPED_TRACE(what);
    std::unique_ptr<QDialog> dialog = make();
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    QApplication::processEvents();
    // A keyboard user starts at the first input, not on a button that ends the dialog.
    if (QWidget* focus = dialog->focusWidget()) {
      EXPECT_EQ(qobject_cast<QDialogButtonBox*>(focus->parentWidget()), nullptr)
          << "starts on " << focus->metaObject()->className();
    }
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
      if (!isInput(w) || !w->isVisibleTo(dialog.get())) continue;
      EXPECT_FALSE(spokenName(w).isEmpty())
          << w->metaObject()->className() << " " << w->objectName().toStdString();
      // A combo box without a name of its own is told by its value ("5", "なし").
      if (auto* combo = qobject_cast<QComboBox*>(w)) {
        EXPECT_NE(spokenName(w), combo->currentText().trimmed()) << w->objectName().toStdString();
      }
      if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        EXPECT_FALSE(view->tabKeyNavigation()) << "Tab is caught in " << w->objectName().toStdString();
      }
    }
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
      if (label->buddy()) {
        EXPECT_TRUE(label->text().contains('&')) << label->text().toStdString();
      }
    }
    dialog->close();
  }
}

TEST_F(DialogAccessTest, TabLeavesThePastDataDeviceListForTheYear) {
  CCngData dialog(app);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  auto* devices = dialog.findChild<DeviceList*>(kDeviceListName);
  devices->setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(devices->hasFocus());
  QTest::keyClick(devices, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QWidget*>(kPastDataYearName)) << "the year";
}

TEST(ColorPopupKeys, ArrowsMoveOverTheCellsEnterChoosesEscapeCloses) {
  struct Case {
    const char* what;
    std::vector<Qt::Key> keys;
    int64_t expectedCell;  // -1: nothing chosen
  };
  const Case cases[] = {
      {"Enter on the first cell", {Qt::Key_Return}, 0},
      {"right and down", {Qt::Key_Right, Qt::Key_Down, Qt::Key_Space}, 5},
      {"left wraps in the row, up wraps to the last row", {Qt::Key_Left, Qt::Key_Up, Qt::Key_Enter}, 19},
      {"Escape", {Qt::Key_Down, Qt::Key_Escape}, -1},
  };
  for (const Case& c : cases) {
    ColorPalette palette;
    const ColorPalette before = palette;
    QWidget anchor;
    anchor.show();
    ColorPopup popup(palette);
    QTimer::singleShot(50, [&] {
      for (Qt::Key key : c.keys) QTest::keyClick(&popup, key);
    });
    const int64_t chosen = popup.choose(anchor);
    EXPECT_EQ(chosen, c.expectedCell < 0 ? -1 : int64_t{before.color(static_cast<int>(c.expectedCell))})
        << c.what;
  }
}

TEST(ColorPopupKeys, TabReachesTheFullChooser) {
  ColorPalette palette;
  QWidget anchor;
  anchor.show();
  ColorPopup popup(palette);
  QString opened;
  QTimer::singleShot(50, [&] {
    QTest::keyClick(&popup, Qt::Key_Tab);
    QTimer::singleShot(100, [&] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        opened = modal->metaObject()->className();
        modal->close();
      }
      QTest::keyClick(&popup, Qt::Key_Escape);
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  });
  EXPECT_EQ(popup.choose(anchor), -1);
  EXPECT_EQ(opened, "QColorDialog");
}

}  // namespace
}  // namespace pelnor
