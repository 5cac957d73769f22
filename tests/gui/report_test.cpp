// The monthly report, its entry, and the graph attributes.
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>

#include "data/text.h"
#include "dialogs/input_rep.h"
#include "dialogs/set_line_attr.h"
#include "gui_fixture.h"
#include "modal_driver.h"
#include "ui/color_button.h"
#include "ui/color_palette.h"
#include "views/print_pages.h"
#include "views/render.h"
#include "views/report_data.h"

namespace pelnor {
namespace {

using namespace test;

class ReportTest : public GuiTest {
 protected:
  // April 2024: days 3 and 7 share the highest demand, day 5 has the lowest.
  void SetUp() override {
    storeMonthWith({{3, 2000}, {5, 500}, {7, 2000}, {9, 1000}});
    app.registry.load(app.location.root(), app.storage);
    open();
    frame->showPastData(12, DateTime::fromFields(2024, 4, 1), 1);
    frame->periodBar().kindSelector().setCurrentIndex(1);
    Q_EMIT frame->periodBar().kindSelector().activated(1);
  }
  void storeMonthWith(std::initializer_list<std::pair<int, int32_t>> days) {
    MonthRecord record = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), {});
    for (auto [day, pulses] : days) {
      record.days[static_cast<std::size_t>(day - 1)].header.deviceId = 12;
      addReading(record.days[static_cast<std::size_t>(day - 1)], Reading{10, 0, pulses, 20});
    }
    DataLocation::createFolderPath(app.location.deviceFolder(12));
    ASSERT_TRUE(writeMonthFile(app.location.monthFile(12, record.month), record, false, app.storage));
  }
  QImage render(ViewKind view) {
    return renderView(app.history, app.historyEnv(), app.settings, view, Period::Month,
                      DateTime::fromFields(2024, 4, 1), QSize(1131, 1600));
  }
  // The report page as printed, on an image of the page's proportions.
  QImage printed(int width) {
    QImage image(width, width * kDesignPageHeight / kDesignPageWidth, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const DateTime april = DateTime::fromFields(2024, 4, 1);
    ViewContents contents;
    printPage(painter, image.rect(), 1, PrintRange{Period::Month, april, april, true}, contents,
              PageSource{app.history, app.historyEnv(), app.settings});
    return image;
  }
};

TEST_F(ReportTest, AMonthsReportWithItsDefaultsAndSpecialDays) {
  const CReportData& report = doc.report();
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report.highestDay(), 3) << "the earlier of two days with the same demand";
  EXPECT_EQ(report.lowestDay(), 5);
  const std::string today =
      formatText("%d年%2d月%2d日", DateTime::now().year(), DateTime::now().month(), DateTime::now().day());
  EXPECT_EQ(report.grid("date").text(0, 0).toStdString(), today);
  EXPECT_EQ(report.grid("contract").text(3, 0), "山田") << "the device's customer name";
  EXPECT_EQ(report.grid("intro").text(0, 0), "4 月の測定期間における主なデータは，次のとおりです。");
  // 2000 pulses at 60 / 50000 kWh per pulse: 2.4 kWh, 4.8 kW.
  EXPECT_EQ(report.grid("demand").text(1, 0), "5");
  EXPECT_EQ(report.grid("energy").text(0, 3), "期間累計");
  EXPECT_EQ(report.grid("energy").text(1, 3), "7");  // 6.6 kWh in all
  EXPECT_EQ(report.grid("temperature").text(1, 0), "20");

  frame->periodBar().kindSelector().setCurrentIndex(0);
  Q_EMIT frame->periodBar().kindSelector().activated(0);
  EXPECT_TRUE(doc.report().empty()) << "no report for a day";
}

TEST_F(ReportTest, ReportEntryIsStoredAndShownAndCapacitiesAreTruncated) {
  frame->action(cmd::kReport)->trigger();
  ASSERT_TRUE(frame->action(cmd::kReportEntry)->isEnabled());
  ModalDriver driver;
  driver.then([](QWidget* modal) {
    auto* dialog = qobject_cast<CInputRep*>(modal);
    if (!dialog) return false;
    const char* texts[] = {"2024",   "5",    "1",   "本社", "K-123", "山田工業株式会社",
                           "製造業", "1500", "500", "1000", "250"};
    for (int i = 0; i < 11; ++i) dialog->field(i).setText(texts[i]);
    dialog->notes().setPlainText("一\n二\n三");
    dialog->accept();
    return true;
  });
  frame->action(cmd::kReportEntry)->trigger();
  ASSERT_TRUE(driver.done());

  MonthRecord stored;
  ASSERT_TRUE(
      readMonthFile(app.location.monthFile(12, DateTime::fromFields(2024, 4, 1)), stored, app.storage));
  EXPECT_EQ(stored.report.entered, 1);
  EXPECT_EQ(stored.report.office, "本社");
  EXPECT_EQ(stored.report.customerName, "山田工業株式会社");
  EXPECT_EQ(stored.report.threePhaseKva, 1000);
  EXPECT_EQ(stored.report.notes, "一\r\n二\r\n三");
  EXPECT_EQ(app.registry.report.office, "本社");
  DeviceRecord device;
  app.registry.find(12, device);
  EXPECT_EQ(device.report.contractNumber, "K-123");

  const CReportData& report = doc.report();
  EXPECT_EQ(report.grid("date").text(0, 0), "2024年 5月 1日");
  EXPECT_EQ(report.grid("equipment").text(1, 0), "総変圧器容量 1500[kVA]");
  EXPECT_EQ(report.grid("equipment").text(1, 1), "単相総 500[kVA]，三相総 1000[kVA]");
  EXPECT_EQ(report.grid("equipment").text(2, 0), "30分ﾃﾞﾏﾝﾄﾞ 250[kW] (過去12ヶ月最大)");

  app.history.monthAt(0).report.totalTransformerKva = 1500.9;
  frame->ApplySelection(false, false);
  EXPECT_EQ(doc.report().grid("equipment").text(1, 0), "総変圧器容量 1500[kVA]") << "truncated, not rounded";
}

TEST_F(ReportTest, NotesPrintTheirFirstFiveLinesOnly) {
  ReportInfo& report = app.history.monthAt(0).report;
  report.entered = 1;
  report.notes = "1\r\n2\r\n3\r\n4\r\n5";
  const QImage five = render(ViewKind::Report);
  report.notes = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7";
  EXPECT_EQ(render(ViewKind::Report), five);
  report.notes = "1\r\n2\r\n3\r\n4";
  EXPECT_NE(render(ViewKind::Report), five);
}

// On paper the box's lower edge can fall inside a sixth line; none of it is printed.
TEST_F(ReportTest, PrintedNotesShowWholeLinesOnly) {
  ReportInfo& report = app.history.monthAt(0).report;
  report.entered = 1;
  for (int width : {1190, 1654, 2480}) {  // A4 at 144, 200 and 300 dpi
    report.notes = "1\r\n2\r\n3\r\n4\r\n5";
    const QImage five = printed(width);
    report.notes = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7";
    EXPECT_EQ(printed(width), five) << width;
    report.notes = "1\r\n2\r\n3\r\n4";
    EXPECT_NE(printed(width), five) << width;
  }
}

TEST_F(ReportTest, AChosenColourReachesTheGraphAndTheReport) {
  const uint32_t magenta = 0xFF00FF;
  CSetLineAttr dialog(app.settings);
  dialog.demandColor().setColor(magenta);
  EXPECT_EQ(dialog.temperatureWidth().currentText(), "4") << "the stored width 3 is the fourth entry";
  dialog.temperatureWidth().setCurrentIndex(0);
  dialog.storeIn(app.settings);
  EXPECT_EQ(app.settings.demandColor, magenta);
  EXPECT_EQ(app.settings.maxTempWidth, 0);

  auto countMagenta = [](const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); y += 2) {
      for (int x = 0; x < image.width(); x += 2) n += image.pixel(x, y) == qRgb(255, 0, 255) ? 1 : 0;
    }
    return n;
  };
  EXPECT_GT(countMagenta(render(ViewKind::Graph)), 50);
  EXPECT_GT(countMagenta(render(ViewKind::Report)), 50);
}

TEST(ColorPaletteTest, RanksFollowWhatWasChosen) {
  ColorPalette palette;
  EXPECT_EQ(palette.rank(10), 20);
  palette.choose(13);  // rank 14: the 13 more recent ones move back
  EXPECT_EQ(palette.rank(13), 1);
  EXPECT_EQ(palette.rank(0), 2);
  EXPECT_EQ(palette.rank(10), 20) << "older than the chosen one: unchanged";

  // A colour the palette has: only the ranks change.
  const int red = palette.chooseOther(0x0000FF);
  EXPECT_EQ(red, 13);
  EXPECT_EQ(palette.color(13), 0x0000FFu);

  // Two new colours replace the least recently chosen cells, one after the other.
  const int first = palette.chooseOther(0x123456);
  EXPECT_EQ(first, 10);
  EXPECT_EQ(palette.color(10), 0x123456u);
  const int second = palette.chooseOther(0x654321);
  EXPECT_EQ(second, 9) << "cell 10 had rank 19, so rank 20 after the first";
  EXPECT_EQ(palette.rank(9), 1);
  EXPECT_EQ(palette.rank(10), 2);
}

}  // namespace
}  // namespace pelnor
