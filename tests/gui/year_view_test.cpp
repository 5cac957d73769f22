// The year view in the window, its contract line, and the report entry's value from the data.
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "dialogs/input_rep.h"
#include "gui_fixture.h"
#include "modal_driver.h"

namespace pelnor {
namespace {

using namespace test;

// 1000 pulses are 2.4 kW. November 2023 and January 2024 are only on file; February and
// March 2024 are loaded. The year's peak is 29 February 10:00, 192 kW.
class YearViewTest : public GuiTest {
 protected:
  void SetUp() override {
    storeMonth(2023, 11, {5}, 50000);    // 120 kW
    storeMonth(2024, 1, {15}, 25000);    // 60 kW
    storeMonth(2024, 2, {29}, 80000);    // 192 kW
    storeMonth(2024, 3, {1, 2}, 30000);  // 72 kW
    open();
    frame->showPastData(12, DateTime::fromFields(2024, 3, 1), 2);
  }
  void chooseKind(int index) {
    frame->periodBar().kindSelector().setCurrentIndex(index);
    Q_EMIT frame->periodBar().kindSelector().activated(index);
  }
  std::string cell(int column, int row) { return doc.sheet().body().text(column, row).toStdString(); }
  void enterContract(double kw) {
    DeviceRecord device;
    ASSERT_TRUE(app.registry.find(12, device));
    device.report.entered = 1;
    device.report.demandKw = kw;
    app.registry.put(device);
  }
};

TEST_F(YearViewTest, TheKindYearShowsTwelveMonthsAndPagesByOneMonth) {
  ASSERT_EQ(frame->periodBar().kindSelector().count(), 3);
  EXPECT_EQ(frame->periodBar().kindSelector().itemText(2), "年別");
  frame->action(cmd::kGraph)->trigger();
  chooseKind(2);
  EXPECT_EQ(frame->periodBar().dateSelector().currentText(), "2024年 3月")
      << "the year up to the newest month";
  EXPECT_EQ(doc.display().period, Period::Year);
  EXPECT_EQ(cell(0, 0), "2023/04");
  EXPECT_EQ(cell(0, 7), "2023/11");
  EXPECT_EQ(cell(1, 7), "120") << "a month read from its file";
  EXPECT_EQ(cell(1, 8), "") << "December has no file";
  EXPECT_EQ(cell(1, 9), "60");
  EXPECT_EQ(cell(1, 10), "192");
  EXPECT_EQ(cell(2, 10), "02/29 10:00");
  EXPECT_EQ(cell(6, 10), "年最大");
  EXPECT_EQ(cell(1, 11), "72");
  EXPECT_EQ(doc.sheet().totals().text(4, 2), "258") << "60 + 30 + 96 + 72 kWh";
  EXPECT_NE(doc.description().indexOf("2023年4月～2024年3月（年別）"), -1) << doc.description().toStdString();
  EXPECT_FALSE(frame->periodBar().scaleSelector().isEnabled()) << "the year chooses its own energy scale";
  EXPECT_EQ(doc.graph().demand().size(), 12u);

  frame->action(cmd::kPreviousDate)->trigger();
  EXPECT_EQ(frame->periodBar().dateSelector().currentText(), "2024年 2月");
  EXPECT_EQ(cell(0, 0), "2023/03");
  EXPECT_EQ(cell(1, 11), "192");
  EXPECT_EQ(cell(6, 11), "年最大");
  EXPECT_EQ(app.history.months.size(), 2u) << "the loaded months stay as they were";

  chooseKind(1);
  EXPECT_TRUE(frame->periodBar().scaleSelector().isEnabled());
}

TEST_F(YearViewTest, TheContractDemandIsALineAcrossBothCharts) {
  auto paint = [this] {
    QImage image(1600, 1000, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    doc.graph().Draw(painter, image.rect(), doc.screenMetrics(), &doc.sheet(), doc.demandAxis(),
                     doc.energyAxis(), doc.graphStyle());
    return image;
  };
  const QColor contract = doc.graphStyle().contractColor;
  auto contractPixels = [&](const QImage& image, const ChartFrame& frame, int y) {
    int count = 0;
    for (int x = frame.plot().left(); x <= frame.plot().right(); ++x)
      count += image.pixelColor(x, y) == contract;
    return count;
  };
  chooseKind(2);
  const QImage without = paint();
  for (int y = 0; y < without.height(); ++y) {
    ASSERT_EQ(contractPixels(without, doc.graph().upperFrame(), y), 0) << "no contract entered, row " << y;
  }

  enterContract(150);
  frame->ApplySelection(true, true);
  EXPECT_EQ(doc.graph().contractKw(), 150);
  const QImage with = paint();
  const AxisScale axis = doc.demandAxis();
  for (const ChartFrame* chart : {&doc.graph().upperFrame(), &doc.graph().lowerFrame()}) {
    const int y = chart->yOf(150, axis.base, axis.top());
    // A dashed line: about half of the plot's width, over bars and gaps alike.
    EXPECT_GT(contractPixels(with, *chart, y), chart->plot().width() / 3);
    EXPECT_EQ(contractPixels(with, *chart, y + 10), 0);
  }
  EXPECT_EQ(cell(6, 10), "年最大・契約超過");
  EXPECT_EQ(cell(6, 7), "") << "120 kW is within the contract";
}

TEST_F(YearViewTest, TheReportOffersTheTwelveMonthMaximumAndNeverReplacesAnEnteredOne) {
  enterContract(250);  // the last entry: the data's 192 kW comes first in a new month
  chooseKind(1);       // February 2024
  frame->action(cmd::kReport)->trigger();
  const char* fromData = "30分ﾃﾞﾏﾝﾄﾞ 192[kW] (過去12ヶ月最大)";
  EXPECT_EQ(doc.report().grid("equipment").text(2, 0).toStdString(), fromData);

  ModalDriver driver;
  driver.then([](QWidget* modal) {
    auto* dialog = qobject_cast<CInputRep*>(modal);
    if (!dialog) return false;
    EXPECT_EQ(dialog->field(10).text(), "192");
    EXPECT_TRUE(dialog->fromDataButton().isEnabled());
    dialog->field(10).setText("300");
    dialog->accept();
    return true;
  });
  frame->action(cmd::kReportEntry)->trigger();
  ASSERT_TRUE(driver.done());
  EXPECT_EQ(doc.report().grid("equipment").text(2, 0), "30分ﾃﾞﾏﾝﾄﾞ 300[kW] (過去12ヶ月最大)");
  frame->ApplySelection(true, true);
  EXPECT_EQ(doc.report().grid("equipment").text(2, 0), "30分ﾃﾞﾏﾝﾄﾞ 300[kW] (過去12ヶ月最大)")
      << "the entered value stays";

  ModalDriver again;
  again.then([](QWidget* modal) {
    auto* dialog = qobject_cast<CInputRep*>(modal);
    if (!dialog) return false;
    EXPECT_EQ(dialog->field(10).text(), "300");
    dialog->fromDataButton().click();
    EXPECT_EQ(dialog->field(10).text(), "192") << "filled only when asked";
    dialog->reject();
    return true;
  });
  frame->action(cmd::kReportEntry)->trigger();
  ASSERT_TRUE(again.done());
}

}  // namespace
}  // namespace pelnor
