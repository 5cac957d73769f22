// Painting and paging in the window, offscreen at 1600 x 1000.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMessageBox>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringListModel>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/frame_switch_wnd.h"
#include "app/main_frame.h"
#include "app/pelnor_doc.h"
#include "bench/bench_root.h"
#include "comm/reception_parser.h"
#include "dialogs/cng_data.h"
#include "dialogs/comm_read.h"
#include "gui/modal_driver.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"
#include "ui/period_bar.h"
#include "views/fonts.h"
#include "views/graph_data.h"
#include "views/print_pages.h"
#include "views/report_data.h"
#include "views/sheet_data.h"

namespace pelnor::bench {
namespace {

const QSize kScreen(1600, 1000);

struct LoadedMonth {
  LoadedMonth() {
    history.device.deviceId = 12;
    history.months.push_back(fullMonth(lastBenchMonth()));
    history.aggregateAll(50000);
  }
  DeviceHistory history;
};

void BM_PaintMonthTable(benchmark::State& state) {
  LoadedMonth loaded;
  CSheetData sheet;
  sheet.Build(ContentSource{loaded.history, 50000}, Period::Month, lastBenchMonth());
  QImage image(kScreen, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    QPoint scroll, overflow;
    sheet.Draw(painter, image.rect(), DrawMetrics{}, QPoint(0, 500), scroll, overflow);
  }
}
BENCHMARK(BM_PaintMonthTable)->Unit(benchmark::kMillisecond);

void BM_PaintMonthGraph(benchmark::State& state) {
  LoadedMonth loaded;
  CSheetData sheet;
  CGraphData graph;
  const ContentSource source{loaded.history, 50000};
  sheet.Build(source, Period::Month, lastBenchMonth());
  graph.Build(source, Period::Month, lastBenchMonth());
  QImage image(kScreen, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    graph.Draw(painter, image.rect(), DrawMetrics{}, &sheet, AxisScale{5, 0, 500}, AxisScale{5, 0, 20000},
               GraphStyle{});
  }
}
BENCHMARK(BM_PaintMonthGraph)->Unit(benchmark::kMillisecond);

void BM_PaintReport(benchmark::State& state) {
  LoadedMonth loaded;
  CReportData report;
  report.Build(ContentSource{loaded.history, 50000}, Period::Month, lastBenchMonth(), "デモ電力");
  QImage image(kScreen, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    report.Draw(painter, image.rect(), DrawMetrics{}, AxisScale{5, 0, 500}, AxisScale{5, 0, 20000},
                GraphStyle{});
  }
}
BENCHMARK(BM_PaintReport)->Unit(benchmark::kMillisecond);

// Pages into a PDF at 300 dpi: 31 day pages (table and graph) of a full month, or 12
// report pages of twelve full months.
void BM_PrintToPdf(benchmark::State& state) {
  const bool report = state.range(0) != 0;
  test::TempDir dir;
  SilentReporter quiet;
  writeBenchRoot(dir.path(), 12, quiet);
  AppContext app(dir.path());
  app.registry.load(dir.path(), app.storage);
  app.history.loadPastMonths(12, lastBenchMonth(), 12, app.historyEnv());
  const PrintRange range =
      report ? PrintRange{Period::Month, DateTime::fromFields(2024, 1, 1), lastBenchMonth(), true}
             : PrintRange{Period::Day, lastBenchMonth(), DateTime::fromFields(2024, 12, 31), false};
  for (auto _ : state) {
    QPdfWriter writer(QString::fromStdString((dir / "pages.pdf").string()));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    ViewContents contents;
    contents.select(app.history, app.historyEnv(), app.settings, range.period, 0, range.start, true, true);
    printPages(writer, range, contents, PageSource{app.history, app.historyEnv(), app.settings});
  }
  state.counters["pages"] = pageCount(range);
}
BENCHMARK(BM_PrintToPdf)->ArgName("report")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The window over a root of `months` full months, shown offscreen with the last `loaded`
// of them loaded (all by default).
struct WindowOverMonths {
  explicit WindowOverMonths(int months, int loaded = 0) {
    writeBenchRoot(dir.path(), months, quiet);
    app.storage.syncToDisk = false;
    doc.firstInit();
    frame.resize(kScreen);
    frame.show();
    frame.showPastData(12, lastBenchMonth(), loaded > 0 ? loaded : months);
  }
  test::TempDir dir;
  SilentReporter quiet;
  AppContext app{dir.path()};
  CPelnorDoc doc{app};
  CMainFrame frame{app, doc};
};

// Presses the right arrow key once per iteration (from the first period again after the
// last) and repaints the view in front.
void pageForward(benchmark::State& state, CMainFrame& frame) {
  QApplication::processEvents();
  QWidget* view = frame.switchFrame().currentWidget();
  for (auto _ : state) {
    QComboBox& dates = frame.periodBar().dateSelector();
    if (dates.currentIndex() + 1 >= dates.count()) dates.setCurrentIndex(0);
    frame.action(cmd::kNextDate)->trigger();
    view->repaint();
  }
}

// One press of the right arrow key: the next day is selected, the contents are rebuilt and
// the view in front is painted once.
void BM_ArrowKeyPaging(benchmark::State& state) {
  WindowOverMonths window(3);
  CMainFrame& frame = window.frame;
  const auto view = static_cast<ViewKind>(state.range(0));
  if (view == ViewKind::Sheet) frame.action(cmd::kSheet)->trigger();
  if (view == ViewKind::Report) {  // the report pages through months
    frame.periodBar().kindSelector().setCurrentIndex(1);
    Q_EMIT frame.periodBar().kindSelector().activated(1);
    frame.action(cmd::kReport)->trigger();
  }
  pageForward(state, frame);
}
BENCHMARK(BM_ArrowKeyPaging)
    ->Arg(static_cast<int>(ViewKind::Graph))
    ->Arg(static_cast<int>(ViewKind::Sheet))
    ->Arg(static_cast<int>(ViewKind::Report))
    ->Unit(benchmark::kMillisecond);

// One month further in the month view (kind 2) and in the year view (kind 3), the graph in
// front, over 24 stored months of which the last 3 are loaded: a year reads the others from
// their files, and a month's report looks for its 12-month maximum the same way.
void BM_PageByMonth(benchmark::State& state) {
  WindowOverMonths window(24, 3);
  CMainFrame& frame = window.frame;
  const int kindIndex = static_cast<int>(state.range(0)) - 1;
  frame.periodBar().kindSelector().setCurrentIndex(kindIndex);
  Q_EMIT frame.periodBar().kindSelector().activated(kindIndex);
  pageForward(state, frame);
}
BENCHMARK(BM_PageByMonth)->ArgName("kind")->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// Switching between days and months with 99 months loaded: the date selector is filled
// anew (3,012 days or 99 months), the contents rebuilt and the view repainted.
void BM_KindSwitch99(benchmark::State& state) {
  WindowOverMonths window(99);
  CMainFrame& frame = window.frame;
  QApplication::processEvents();
  QWidget* view = frame.switchFrame().currentWidget();
  int kind = 0;
  for (auto _ : state) {
    kind = 1 - kind;
    frame.periodBar().kindSelector().setCurrentIndex(kind);
    Q_EMIT frame.periodBar().kindSelector().activated(kind);
    view->repaint();
  }
}
BENCHMARK(BM_KindSwitch99)->Unit(benchmark::kMillisecond);

// The past-data dialog opened and painted once, with a master of 1 or 20,000 devices: the
// rows are read from the registry as they are drawn, so the count should hardly matter.
void BM_PastDataDialog(benchmark::State& state) {
  test::TempDir dir;
  SilentReporter quiet;
  writeBenchRoot(dir.path(), 3, quiet);
  AppContext app(dir.path());
  app.storage.syncToDisk = false;
  app.registry.load(dir.path(), app.storage);
  for (int32_t id = 100; app.registry.count() < state.range(0); ++id) {
    DeviceRecord device = DeviceRecord::makeNew({});
    device.deviceId = id;
    device.customerName = "需要家";
    app.registry.put(device);
  }
  for (auto _ : state) {
    CCngData dialog(app);
    dialog.show();
    dialog.repaint();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_PastDataDialog)->ArgName("devices")->Arg(1)->Arg(20000)->Unit(benchmark::kMillisecond);

// 4,464 lines (three 31-day months) through a pseudo-terminal at 256000 baud with the
// reception dialog open and every line listed; the confirmation is answered at once.
void BM_ReceptionDialog(benchmark::State& state) {
  constexpr double kBytesPerSecond = 25600;
  const std::vector<std::string> lines = dataLines(93);
  for (auto _ : state) {
    test::TempDir dir;
    test::PtyPair pty;
    SilentReporter quiet;
    writeBenchRoot(dir.path(), 0, quiet);
    test::writeFile(dir / "Pelnor.INI", "[SerialPorts]\r\nCOM1=" + pty.slavePath() + "\r\n");
    AppContext app(dir.path());
    app.storage.syncToDisk = false;
    app.registry.load(dir.path(), app.storage);
    app.registry.commSettings = {1, 256000, 8, 0, 0, 0};

    CCommRead dialog(app, {}, true);
    test::ModalDriver driver;
    driver.answer(QMessageBox::Yes);

    // The GUI thread's heartbeat: the longest gap between two ticks is how long it was blocked.
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastTick = Clock::now();
    double longestGapMs = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
      const auto now = Clock::now();
      longestGapMs =
          std::max(longestGapMs, std::chrono::duration<double, std::milli>(now - lastTick).count());
      lastTick = now;
    });
    Clock::time_point lastLineListed{};
    const QString lastLine = QString::fromStdString(lines.back());
    QObject::connect(&dialog.rows(), &QAbstractItemModel::dataChanged, [&] {
      if (lastLineListed == Clock::time_point{} && dialog.rows().stringList().contains(lastLine)) {
        lastLineListed = Clock::now();
      }
    });

    std::atomic<Clock::time_point::rep> lastByteSent{0};
    std::thread device([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      const auto start = Clock::now();
      double sent = 0;
      auto send = [&](const std::string& text) {
        pty.write(text);
        sent += static_cast<double>(text.size());
        std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                  std::chrono::duration<double>(sent / kBytesPerSecond)));
      };
      send("12\r\n");
      for (std::size_t i = 0; i < lines.size(); ++i) {
        send(lines[i] + "\r\n");
        if (i + 1 == lines.size()) lastByteSent = Clock::now().time_since_epoch().count();
      }
      send(std::string(kEndLineText) + "\r\n");
    });
    QTimer::singleShot(0, [&] {
      lastTick = Clock::now();
      heartbeat.start(5);
    });
    const int result = dialog.exec();
    heartbeat.stop();
    device.join();

    int64_t wrong = 0;
    for (const std::string& line : lines) {
      ParsedLine p = parseReceptionLine(line);
      const int position = app.history.monthPosition(p.when);
      bool found = false;
      if (position >= 0) {
        for (const Reading& r :
             app.history.monthAt(position).days[static_cast<std::size_t>(p.when.day() - 1)].readings) {
          found = found ||
                  r == Reading{p.when.fields().hour, p.when.fields().minute, p.pulseCount, p.temperature};
        }
      }
      wrong += found ? 0 : 1;
    }
    const Clock::time_point sentAt{Clock::duration(lastByteSent.load())};
    state.counters["accepted"] = result == QDialog::Accepted ? 1 : 0;
    state.counters["rows_listed"] = dialog.rows().rowCount();
    state.counters["wrong_or_lost"] = static_cast<double>(wrong);
    state.counters["last_line_listed_ms"] =
        std::chrono::duration<double, std::milli>(lastLineListed - sentAt).count();
    state.counters["gui_longest_gap_ms"] = longestGapMs;
  }
}
BENCHMARK(BM_ReceptionDialog)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace pelnor::bench

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  pelnor::installFontSubstitutions();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
