// What the table and the graph show: cell texts, and pixels of a painted graph.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <limits>

#include "data/aggregation.h"
#include "views/cell_grid.h"
#include "views/chart_frame.h"
#include "views/fonts.h"
#include "views/graph_data.h"
#include "views/report_data.h"
#include "views/sheet_data.h"

namespace pelnor {
namespace {

// April 2024 of device 12 (multiplier 60, 50000 pulses per kWh: 1000 pulses are 2.4 kW).
class ViewsTest : public ::testing::Test {
 protected:
  ViewsTest() {
    history.device.deviceId = 12;
    history.device.customerName = "山田";
    auto add = [this](int day, int hour, int minute, int32_t pulses, double temperature) {
      history.addReading(DateTime::fromFields(2024, 4, day, hour, minute), pulses, temperature, {});
    };
    add(1, 0, 0, 1000, 20);    // slot 0
    add(1, 0, 30, 0, -3);      // slot 1: a real zero
    add(1, 10, 30, 2000, 25);  // slot 21
    add(3, 12, 0, 500, 18);
    history.aggregateAll(50000);
  }
  ContentSource source() const { return ContentSource{history, 50000}; }

  DeviceHistory history;
};

TEST_F(ViewsTest, DayTableTextsAreEmptyWhereNothingWasMeasured) {
  CSheetData sheet;
  sheet.Build(source(), Period::Day, DateTime::fromFields(2024, 4, 1));
  const CCellGrid& body = sheet.body();
  ASSERT_EQ(body.rows(), 24);
  struct Cell {
    int column, row;
    const char* text;
  } cells[] = {
      {0, 0, "00:00"},  {1, 0, "2"},  {2, 0, "1"},  {3, 0, "20"},  // 2.4 kW, 1.2 kWh
      {4, 0, "00:30"},  {5, 0, "0"},  {6, 0, "0"},  {7, 0, "-3"},  // measured zero
      {0, 1, "01:00"},  {1, 1, ""},   {2, 1, ""},   {3, 1, ""},    // nothing measured
      {4, 10, "10:30"}, {5, 10, "5"}, {6, 10, "2"}, {7, 10, "25"}, {4, 23, "23:30"}, {5, 23, ""},
  };
  for (const Cell& c : cells) {
    EXPECT_EQ(body.text(c.column, c.row).toStdString(), c.text) << c.column << "," << c.row;
  }
  const CCellGrid& totals = sheet.totals();
  EXPECT_EQ(totals.text(0, 0), "累計");
  EXPECT_EQ(totals.text(1, 0), "") << "no total of demand";
  EXPECT_EQ(totals.text(2, 0), "4");  // 1.2 + 0 + 2.4 kWh
  EXPECT_EQ(totals.text(1, 1), "5");
  EXPECT_EQ(totals.text(3, 2), "-3");
  EXPECT_EQ(sheet.deviceBlock().text(1, 0), "12");
  EXPECT_EQ(sheet.deviceBlock().text(1, 1), "山田");
}

// Days never written carry the defaults in their header; the table shows the registered
// ratings for them instead (10 A here). April's days keep the 5 A they were stored with.
TEST_F(ViewsTest, AnEmptyMonthOrDayShowsTheDevicesRatings) {
  history.device.multiplier = 120;
  history.device.primaryCurrent = 10;
  history.findOrInsertMonth(DateTime::fromFields(2024, 5, 1), {});
  const struct {
    Period period;
    DateTime date;
  } cases[] = {{Period::Month, DateTime::fromFields(2024, 5, 1)},
               {Period::Day, DateTime::fromFields(2024, 5, 7)}};
  for (const auto& c : cases) {
    CSheetData sheet;
    sheet.Build(source(), c.period, c.date);
    EXPECT_EQ(sheet.vctBlock().text(1, 2), "10") << c.date.fields().day;
    EXPECT_EQ(sheet.vctBlock().text(3, 2), "2") << c.date.fields().day;
  }
  CSheetData april;
  april.Build(source(), Period::Month, DateTime::fromFields(2024, 4, 1));
  EXPECT_EQ(april.vctBlock().text(1, 2), "5");
}

// A tall window fits body digits far larger than the heading's; on screen they stop at
// twice its size, while a normal window keeps the fitted size.
TEST_F(ViewsTest, TheBodyFontStopsAtTwiceTheHeadingsOnALargeScreen) {
  const struct {
    QSize size;
    bool capped;
  } cases[] = {{QSize(2560, 1440), true}, {QSize(3840, 2160), true}, {QSize(1600, 1000), false}};
  for (const auto& c : cases) {
    for (Period period : {Period::Day, Period::Month}) {
      CSheetData sheet;
      sheet.Build(source(), period, DateTime::fromFields(2024, 4, 1));
      QImage image(c.size, QImage::Format_RGB32);
      QPainter painter(&image);
      QPoint scroll, overflow;
      sheet.Draw(painter, image.rect(), DrawMetrics{}, QPoint(0, 500), scroll, overflow);
      const int heading = sheet.heading().font(2).pixelSize();
      const int body = sheet.body().font(2).pixelSize();
      EXPECT_LE(body, 2 * heading) << c.size.width() << " " << periodName(period);
      EXPECT_EQ(body == 2 * heading, c.capped) << c.size.width() << " " << periodName(period) << ": " << body;
    }
  }
}

// A one-line text wider than its cell: on screen it starts at the cell's left edge and ends
// in an ellipsis; without eliding (paper) it stays centred, cut at both ends.
// The font fitted to a cell is the one a scan from size 1 upwards finds (the last size
// before the first that no longer fits), on screen and on a printer's resolution.
TEST(FittedFontTest, TheEstimateFindsWhatAScanFromOneFinds) {
#ifdef _WIN32
  // The program draws through GDI there (the windows platform, where this test is run as well);
  // offscreen, Qt's own FreeType makes a synthetic bold narrower at 64 px than at 63.
  if (QGuiApplication::platformName() == "offscreen") GTEST_SKIP() << "not the fonts the program uses";
#endif
  QImage screen(10, 10, QImage::Format_RGB32);
  QImage paper(10, 10, QImage::Format_RGB32);
  paper.setDotsPerMeterX(23622);  // 600 dpi
  paper.setDotsPerMeterY(23622);
  auto scanned = [](const QPaintDevice& device, const QRect& cell, const QString& sample, bool bold) {
    int best = 1;
    for (int size = 1; size <= 400; ++size) {
      QFontMetrics metrics(faceAtPointSize(size, device, bold), &device);
      const QRect used = metrics.boundingRect(QRect(cell.topLeft(), QSize(100000, 100000)),
                                              Qt::AlignLeft | Qt::AlignTop, sample);
      if (used.right() > cell.right() || used.bottom() > cell.bottom()) break;
      best = size;
    }
    return best;
  };
  const QString samples[] = {"99/99", "日負荷データ（デマンド値・最高温度）", "  12345.6", "W"};
  for (const QImage* device : {&screen, &paper}) {
    for (int width = 3; width < 700; width += 61) {
      for (int height = 3; height < 160; height += 29) {
        for (const QString& sample : samples) {
          for (bool bold : {false, true}) {
            const QRect cell(5, 7, width, height);
            const int expected =
                faceAtPointSize(scanned(*device, cell, sample, bold), *device, bold).pixelSize();
            EXPECT_EQ(fittedFont(*device, cell, sample, bold).pixelSize(), expected)
                << width << "x" << height << " " << sample.toStdString() << (bold ? " bold" : "");
          }
        }
      }
    }
  }
}

TEST(CellGridTest, AnOverlongTextShowsItsStartOnScreen) {
  for (bool elide : {true, false}) {
    CCellGrid grid;
    grid.setSize(1, 1);
    grid.setDrawLines(false);
    grid.setText(0, 0, "W" + QString(60, '.'));
    grid.setElideOverflow(elide);
    QImage image(120, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QPoint none;
    grid.layout(image.rect(), none);
    grid.setFontForAll(faceAtPointSize(12, image));
    grid.paint(painter, false);
    painter.end();
    // The W is the only glyph reaching above the dots: look for ink high up at the left.
    const int dotsTop = image.height() / 2;  // the dots sit on the baseline, below the middle
    bool tallInkAtLeft = false;
    for (int y = 0; y < dotsTop; ++y) {
      for (int x = 0; x < 20; ++x) tallInkAtLeft |= image.pixel(x, y) != qRgb(255, 255, 255);
    }
    EXPECT_EQ(tallInkAtLeft, elide) << elide;
  }
}

// Turned x labels that would run into each other on a narrow screen: only every so many
// is drawn there; a wide chart and paper label every position.
TEST(ChartLabelsTest, ANarrowScreenSkipsLabelsThatWouldCollide) {
  const struct {
    QSize size;
    bool printing;
    bool all;  // every position labelled
  } cases[] = {
      {QSize(1600, 400), false, true}, {QSize(560, 160), false, false}, {QSize(560, 160), true, true}};
  for (const auto& c : cases) {
    ChartFrame chart;
    chart.positions = 31;
    chart.labelStep = 1;
    std::vector<int> labelled;
    chart.xLabel = [&labelled](int i) {
      labelled.push_back(i);
      return QString("12/%1").arg(i + 1, 2, 10, QChar('0'));
    };
    QImage image(c.size, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawMetrics metrics;
    metrics.printing = c.printing;
    metrics.scaleX = metrics.scaleY = 0.2;
    chart.paint(painter, image.rect(), metrics);
    ASSERT_FALSE(labelled.empty());
    EXPECT_EQ(labelled.size() == 31u, c.all)
        << c.size.width() << " " << c.printing << ": " << labelled.size();
    // Those drawn are evenly spaced from the first.
    const int step = labelled.size() > 1 ? labelled[1] - labelled[0] : 1;
    for (std::size_t k = 0; k < labelled.size(); ++k) EXPECT_EQ(labelled[k], static_cast<int>(k) * step);
  }
}

TEST_F(ViewsTest, MonthTableHasOneRowPerDayAndEmptyValuesWithoutData) {
  CSheetData sheet;
  sheet.Build(source(), Period::Month, DateTime::fromFields(2024, 4, 1));
  const CCellGrid& body = sheet.body();
  ASSERT_EQ(body.rows(), 30);
  EXPECT_EQ(body.text(0, 0), "04/01");
  EXPECT_EQ(body.text(1, 0), "月");  // 1 April 2024 was a Monday
  EXPECT_EQ(body.text(2, 0), "3000");
  EXPECT_EQ(body.text(3, 0), "5");
  EXPECT_EQ(body.text(5, 0), "25");
  EXPECT_EQ(body.text(0, 1), "04/02");
  EXPECT_EQ(body.text(1, 1), "火");
  for (int c = 2; c < 6; ++c) EXPECT_EQ(body.text(c, 1), "") << c;
  EXPECT_EQ(sheet.totals().text(1, 0), "3500");
  EXPECT_EQ(sheet.totals().text(2, 0), "") << "no total of demand";
  EXPECT_EQ(sheet.totals().text(2, 1), "5");
}

QColor pixel(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

// The graph of 1 April 2024 drawn on a white 1600x1000 image with the given demand axis.
QImage drawDayGraph(CGraphData& graph, const ContentSource& source, const AxisScale& demand) {
  graph.Build(source, Period::Day, DateTime::fromFields(2024, 4, 1));
  QImage image(1600, 1000, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  graph.Draw(painter, image.rect(), DrawMetrics{}, nullptr, demand, AxisScale{5, 0, 1}, GraphStyle{});
  return image;
}

TEST_F(ViewsTest, GraphPixelsShowBarsWhereValuesAreAndBreakLinesAtGaps) {
  CGraphData graph;
  const GraphStyle style;
  // Demand axis 0..5 kW: slot 21 (4.8 kW) fits, the temperature line runs -10..60.
  const QImage image = drawDayGraph(graph, source(), AxisScale{5, 0, 1});
  const ChartFrame& upper = graph.upperFrame();
  const QRect plot = upper.plot();
  const int bottom = plot.bottom() - 2;

  EXPECT_EQ(pixel(image, upper.xOf(0), bottom), style.demandColor) << "a bar where a value is";
  EXPECT_EQ(pixel(image, upper.xOf(5), bottom), QColor(Qt::white)) << "none where none is";
  EXPECT_EQ(pixel(image, upper.xOf(21), plot.top() + 20), style.demandColor);

  // The temperature line joins slots 0 and 1, and stops at the gap after slot 1.
  auto hasLineBetween = [&](int from, int to) {
    for (int x = upper.xOf(from) + 3; x <= upper.xOf(to) - 3; ++x) {
      for (int y = plot.top(); y <= plot.bottom(); ++y) {
        if (pixel(image, x, y) == style.temperatureColor) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(hasLineBetween(0, 1));
  EXPECT_FALSE(hasLineBetween(1, 2));
  EXPECT_FALSE(hasLineBetween(20, 21));
}

TEST_F(ViewsTest, ValuesAboveTheScaleAreCutAtThePlotTop) {
  CGraphData graph;
  const GraphStyle style;
  // Demand axis 0..1 kW: the 4.8 kW bar of slot 21 is far above it.
  const QImage image = drawDayGraph(graph, source(), AxisScale{5, 0, 0.2});
  const ChartFrame& lower = graph.lowerFrame();
  const int x = lower.xOf(21);
  EXPECT_EQ(pixel(image, x, lower.plot().top() + 1), style.demandColor);
  EXPECT_NE(pixel(image, x, lower.plot().top() - 3), style.demandColor) << "nothing above the plot";
}

// The largest values a month file can hold: INT_MAX pulses at a multiplier of INT_MAX (and
// one pulse per kWh), temperatures of +-1e308, report capacities of 1e308. Converting such
// a value to a pixel or a whole number without clamping it first is undefined.
TEST_F(ViewsTest, ExtremeValuesAreClampedToThePlotAndTheNumbersTheyBecome) {
  constexpr int32_t kMost = std::numeric_limits<int32_t>::max();
  history.addReading(DateTime::fromFields(2024, 4, 10, 12, 0), kMost, 1e308, {});
  history.addReading(DateTime::fromFields(2024, 4, 11, 12, 0), kMost, -1e308, {});
  MonthRecord& month = history.monthAt(history.monthPosition(DateTime::fromFields(2024, 4, 1)));
  for (DayRecord& day : month.days) day.header.multiplier = kMost;
  month.report.totalTransformerKva = 1e308;
  month.report.singlePhaseKva = -1e308;
  month.report.threePhaseKva = std::numeric_limits<double>::quiet_NaN();
  month.report.demandKw = std::numeric_limits<double>::infinity();
  history.aggregateAll(1);
  const ContentSource extreme{history, 1};

  CGraphData graph;
  graph.Build(extreme, Period::Month, DateTime::fromFields(2024, 4, 1));
  QImage image(1600, 1000, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  const GraphStyle style;
  graph.Draw(painter, image.rect(), DrawMetrics{}, nullptr, AxisScale{5, 0, 1}, AxisScale{5, 0, 1}, style);
  painter.end();
  for (const ChartFrame* frame : {&graph.upperFrame(), &graph.lowerFrame()}) {
    const QRect plot = frame->plot();
    EXPECT_EQ(pixel(image, frame->xOf(9), plot.top() + 1), style.demandColor) << "the bar reaches the top";
    EXPECT_NE(pixel(image, frame->xOf(9), plot.top() - 3), style.demandColor) << "and stops there";
  }
  // The temperature falls from the top of the plot on the 10th to its bottom on the 11th.
  const ChartFrame& upper = graph.upperFrame();
  auto lineAt = [&](int y) {
    for (int x = upper.xOf(9); x <= upper.xOf(10); ++x) {
      if (pixel(image, x, y) == style.temperatureColor) return true;
    }
    return false;
  };
  EXPECT_TRUE(lineAt(upper.plot().top() + 2));
  EXPECT_TRUE(lineAt(upper.plot().bottom() - 2));

  CReportData report;
  report.Build(extreme, Period::Month, DateTime::fromFields(2024, 4, 1), "");
  const std::string most = std::to_string(std::numeric_limits<long>::max());
  const std::string least = std::to_string(std::numeric_limits<long>::min());
  EXPECT_EQ(report.grid("equipment").text(1, 0).toStdString(), "総変圧器容量 " + most + "[kVA]");
  EXPECT_EQ(report.grid("equipment").text(1, 1).toStdString(), "単相総 " + least + "[kVA]，三相総 0[kVA]");
  EXPECT_EQ(report.grid("equipment").text(2, 0).toStdString(),
            "30分ﾃﾞﾏﾝﾄﾞ " + most + "[kW] (過去12ヶ月最大)");
}

TEST_F(ViewsTest, NothingShownDrawsNothingOrTheDebugText) {
  CGraphData graph;
  for (bool debug : {false, true}) {
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawMetrics metrics;
    metrics.debugMode = debug;
    graph.Draw(painter, image.rect(), metrics, nullptr, AxisScale{}, AxisScale{}, GraphStyle{});
    painter.end();
    bool drawn = false;
    for (int y = 0; y < 60 && !drawn; ++y) {
      for (int x = 0; x < 400 && !drawn; ++x) drawn = image.pixel(x, y) != QColor(Qt::white).rgb();
    }
    EXPECT_EQ(drawn, debug);
  }
}

}  // namespace
}  // namespace pelnor
