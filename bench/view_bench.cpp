// Painting and paging in the window, offscreen at 1600 x 1000.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>

#include "app/frame_switch_wnd.h"
#include "app/main_frame.h"
#include "app/pelnor_doc.h"
#include "bench/bench_root.h"
#include "support/temp_dir.h"
#include "views/fonts.h"
#include "views/graph_data.h"
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
  sheet.Build(ContentSource{loaded.history, 50000}, CSheetData::kMonth, lastBenchMonth());
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
  sheet.Build(source, CSheetData::kMonth, lastBenchMonth());
  graph.Build(source, CSheetData::kMonth, lastBenchMonth());
  QImage image(kScreen, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    graph.Draw(painter, image.rect(), DrawMetrics{}, &sheet, AxisScale{5, 0, 500}, AxisScale{5, 0, 20000},
               GraphStyle{});
  }
}
BENCHMARK(BM_PaintMonthGraph)->Unit(benchmark::kMillisecond);

// One press of the right arrow key: the next day is selected, the contents are rebuilt and
// the view in front is painted once.
void BM_ArrowKeyPaging(benchmark::State& state) {
  test::TempDir dir;
  SilentReporter quiet;
  writeBenchRoot(dir.path(), 3, quiet);
  AppContext app(dir.path());
  app.storage.syncToDisk = false;
  CPelnorDoc doc(app);
  CMainFrame frame(app, doc);
  doc.firstInit();
  frame.resize(kScreen);
  frame.show();
  frame.showPastData(12, lastBenchMonth(), 3);
  if (state.range(0) == CPelnorDoc::kSheetView) frame.action(cmd::kSheet)->trigger();
  QApplication::processEvents();
  QWidget* view = frame.switchFrame().currentWidget();
  for (auto _ : state) {
    QComboBox& dates = frame.dateSelector();
    if (dates.currentIndex() + 1 >= dates.count()) dates.setCurrentIndex(0);
    frame.action(cmd::kNextDate)->trigger();
    view->repaint();
  }
}
BENCHMARK(BM_ArrowKeyPaging)
    ->Arg(CPelnorDoc::kGraphView)
    ->Arg(CPelnorDoc::kSheetView)
    ->Unit(benchmark::kMillisecond);

// Start-up to the first painted main window, with a root of 99 months: settings, registry,
// the window and its first paint (the single-instance check is left out).
void BM_StartUpToFirstPaint(benchmark::State& state) {
  test::TempDir dir;
  SilentReporter quiet;
  writeBenchRoot(dir.path(), 99, quiet);
  for (auto _ : state) {
    AppContext app(dir.path());
    app.settings.Load(readInstallationId(), app.location);
    app.applySettings();
    CPelnorDoc doc(app);
    CMainFrame frame(app, doc);
    doc.firstInit();
    frame.resize(kScreen);
    frame.show();
    frame.repaint();
    QApplication::processEvents();
    benchmark::DoNotOptimize(frame.grab());
  }
}
BENCHMARK(BM_StartUpToFirstPaint)->Unit(benchmark::kMillisecond);

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
