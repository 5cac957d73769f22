// The first paint of a view in a fresh process (its face not loaded, nothing fitted yet), then a
// repaint at a new size (new cells to fit) and a repaint at the first size (all remembered):
//   first_paint sheet|graph|report [RUNS]
// Each run is a child process forked before Qt starts; the medians over the runs are printed.
// The view is a full month of the benchmark data, its contents built as the document builds
// them, painted with the window's own drawing code into images that stand for the window's
// backing store: 1600 x 1000, then 1280 x 800, then 1600 x 1000 again.
#include <sys/wait.h>
#include <unistd.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "views/fonts.h"
#include "views/render.h"
#include "views/view_contents.h"

namespace pelnor::bench {
namespace {

using Times = std::array<double, 3>;  // first, new size, again

Times paintOnce(ViewKind view) {
  int argc = 1;
  char name[] = "first_paint";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  installFontSubstitutions();
  DeviceHistory history;
  history.device.deviceId = 12;
  const DateTime month = DateTime::fromFields(2024, 12, 1);
  history.months.push_back(fullMonth(month));
  history.aggregateAll(50000);
  DeviceRegistry registry;
  CAppSettings settings;
  // The year before the month has no files: the report's 12-month maximum looks for them.
  SilentReporter quiet;
  const StorageContext storage{quiet, {}, {}};
  const DataLocation location(std::filesystem::temp_directory_path() / "pelnor-first-paint-no-data");
  const HistoryEnv env{registry, location, storage, settings.pulseConstant};
  // As the document holds them after a date change.
  ViewContents contents;
  contents.select(history, env, settings, Period::Month, 0, month, true, true);
  const GraphStyle style = ViewContents::styleOf(settings);
  // The window has drawn its menus by then: the font database is loaded, our face is not.
  (void)QFontMetrics(QGuiApplication::font()).height();
  // As the window's backing store: there before the paint, and filled white.
  QImage images[] = {QImage(1600, 1000, QImage::Format_RGB32), QImage(1280, 800, QImage::Format_RGB32)};
  for (QImage& image : images) image.fill(Qt::white);
  Times times{};
  for (int i = 0; i < 3; ++i) {
    QImage& image = images[i == 1 ? 1 : 0];
    const auto start = std::chrono::steady_clock::now();
    QPainter painter(&image);
    switch (view) {
      case ViewKind::Sheet: {
        QPoint scroll, overflow;
        contents.sheet.Draw(painter, image.rect(), DrawMetrics{}, QPoint(0, 500), scroll, overflow);
        break;
      }
      case ViewKind::Graph:
        contents.graph.Draw(painter, image.rect(), DrawMetrics{}, &contents.sheet, contents.demandAxis(),
                            contents.energyAxis(), style);
        break;
      case ViewKind::Report:
        contents.report.Draw(painter, image.rect(), DrawMetrics{}, contents.demandAxis(),
                             contents.energyAxis(), style);
        break;
    }
    painter.end();
    times[static_cast<std::size_t>(i)] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  return times;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace
}  // namespace pelnor::bench

int main(int argc, char** argv) {
  using namespace pelnor;
  if (argc < 2) {
    std::fprintf(stderr, "usage: first_paint sheet|graph|report [RUNS]\n");
    return 2;
  }
  const ViewKind view = std::strcmp(argv[1], "sheet") == 0   ? ViewKind::Sheet
                        : std::strcmp(argv[1], "graph") == 0 ? ViewKind::Graph
                                                             : ViewKind::Report;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::vector<double> first, resized, again;
  for (int i = 0; i < runs; ++i) {
    int channel[2];
    if (pipe(channel) != 0) return 1;
    const pid_t child = fork();
    if (child == 0) {
      close(channel[0]);
      if (!freopen("/dev/null", "w", stderr)) _exit(1);  // the offscreen platform's chatter
      const bench::Times times = bench::paintOnce(view);
      if (write(channel[1], times.data(), sizeof times) != sizeof times) _exit(1);
      _exit(0);
    }
    close(channel[1]);
    bench::Times times{};
    const bool got = read(channel[0], times.data(), sizeof times) == sizeof times;
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "a run failed\n");
      return 1;
    }
    first.push_back(times[0]);
    resized.push_back(times[1]);
    again.push_back(times[2]);
  }
  std::printf(
      "%s, medians of %d fresh processes: first paint %.1f ms, at a new size %.1f ms, again %.1f ms\n",
      argv[1], runs, bench::median(first), bench::median(resized), bench::median(again));
  return 0;
}
