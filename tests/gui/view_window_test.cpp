// The views inside the window: what stays and what is reset when the period changes.
#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QScrollBar>

#include "app/frame_switch_wnd.h"
#include "app/view_report.h"
#include "app/view_sheet.h"
#include "gui_fixture.h"
#include "views/report_data.h"

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
    frame->periodBar().dateSelector().setCurrentIndex(index);
    Q_EMIT frame->periodBar().dateSelector().activated(index);
    QApplication::processEvents();
  }
  void chooseKind(int index) {
    frame->periodBar().kindSelector().setCurrentIndex(index);
    Q_EMIT frame->periodBar().kindSelector().activated(index);
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
  chooseDate(frame->periodBar().dateSelector().currentIndex() + 1);
  sheet->repaint();
  EXPECT_EQ(bar->value(), 0) << "next date";

  bar->setValue(bar->maximum());
  sheet->repaint();
  ASSERT_GT(bar->value(), 0);
  chooseKind(frame->periodBar().kindSelector().currentIndex() == 0 ? 1 : 0);
  sheet->repaint();
  EXPECT_EQ(bar->value(), 0) << "other kind";
}

}  // namespace
}  // namespace pelnor

namespace pelnor {
namespace {

// Only what differs from white, as a box.
QRect inked(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

// A report exists for a month only; for a day the view says so in one line in its middle.
TEST_F(ViewWindowTest, TheReportOfADayIsAHintToChooseTheMonth) {
  chooseKind(1);  // 月別: the report can be chosen
  trigger(cmd::kReport);
  QWidget* view = frame->switchFrame().currentWidget();
  ASSERT_EQ(view->objectName(), "CViewReport");
  view->resize(800, 600);
  chooseKind(0);  // 日別: the view stays
  ASSERT_EQ(frame->switchFrame().currentWidget(), view);
  ASSERT_TRUE(doc.report().empty());
  const QImage day = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRect hint = inked(day);
  ASSERT_FALSE(hint.isEmpty()) << "not a blank view";
  const int width = view->fontMetrics().horizontalAdvance(QString::fromUtf8(CViewReport::kMonthOnlyHint));
  EXPECT_NEAR(hint.width(), width, width / 10) << "the hint's one line";
  EXPECT_LT(hint.height(), view->fontMetrics().height() * 2);
  EXPECT_NEAR(hint.center().x(), day.width() / 2, 3);
  EXPECT_NEAR(hint.center().y(), day.height() / 2, 3);

  chooseKind(1);  // 月別: the report itself
  EXPECT_GT(inked(view->grab().toImage().convertToFormat(QImage::Format_RGB32)).height(), day.height() / 2);
}

}  // namespace
}  // namespace pelnor
