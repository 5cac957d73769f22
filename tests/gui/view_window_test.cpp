// The views inside the window: what stays and what is reset when the period changes.
#include <QAction>
#include <QComboBox>
#include <QScrollBar>

#include "app/frame_switch_wnd.h"
#include "gui_fixture.h"
#include "views/view_sheet.h"

namespace pelnor {
namespace {

using namespace test;

class ViewWindowTest : public GuiTest {
 protected:
  void SetUp() override {
    storeMonth(2024, 1, {5, 6, 31}, 3000);
    open();
    frame->showPastData(12, DateTime::fromFields(2024, 1, 1), 1);
  }
  void trigger(int id) { frame->action(id)->trigger(); }
  void chooseDate(int index) {
    frame->dateSelector().setCurrentIndex(index);
    Q_EMIT frame->dateSelector().activated(index);
    QApplication::processEvents();
  }
  void chooseKind(int index) {
    frame->kindSelector().setCurrentIndex(index);
    Q_EMIT frame->kindSelector().activated(index);
    QApplication::processEvents();
  }
};

TEST_F(ViewWindowTest, ANewDateOrKindOpensTheTableAtTheTop) {
  trigger(cmd::kSheet);
  frame->resize(700, 300);
  QApplication::processEvents();
  auto* sheet = qobject_cast<CViewSheet*>(frame->switchFrame().currentWidget());
  ASSERT_NE(sheet, nullptr);
  sheet->repaint();  // painting finds the overflow
  QScrollBar* bar = sheet->scrollBar();
  ASSERT_GT(bar->maximum(), 0) << "the day's body overflows a short window";

  bar->setValue(bar->maximum());
  sheet->repaint();
  ASSERT_GT(bar->value(), 0);
  chooseDate(frame->dateSelector().currentIndex() + 1);
  sheet->repaint();
  EXPECT_EQ(bar->value(), 0) << "next date";

  bar->setValue(bar->maximum());
  sheet->repaint();
  ASSERT_GT(bar->value(), 0);
  chooseKind(frame->kindSelector().currentIndex() == 0 ? 1 : 0);
  sheet->repaint();
  EXPECT_EQ(bar->value(), 0) << "other kind";
}

}  // namespace
}  // namespace pelnor
