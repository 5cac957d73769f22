// The reception: parsing speed, a fast transmission through a pseudo-terminal, and a
// file import of a full month.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "bench/bench_support.h"
#include "comm/collection.h"
#include "comm/reception_parser.h"
#include "comm/waiting_sink.h"
#include "data/month_file.h"
#include "data/text.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace pelnor::bench {
namespace {

using Clock = std::chrono::steady_clock;

// `days` days of half-hourly data lines from 2024-01-01, with varying pulse counts.
void BM_ParseDataLines(benchmark::State& state) {
  std::vector<std::string> lines = dataLines(31);
  for (auto& line : lines) line += "\r\n";
  for (auto _ : state) {
    for (const std::string& line : lines) benchmark::DoNotOptimize(parseReceptionLine(line));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_ParseDataLines);

// The same lines through the general parser alone, as every line went before the fixed-place
// reader of the common shape.
void BM_ParseDataLinesGeneral(benchmark::State& state) {
  std::vector<std::string> lines = dataLines(31);
  for (auto& line : lines) line += "\r\n";
  for (auto _ : state) {
    for (const std::string& line : lines) benchmark::DoNotOptimize(parseAnyReceptionLine(line));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_ParseDataLinesGeneral);

// Everything a collection into a fresh root needs.
struct ReceptionFixture {
  test::TempDir dir;
  SilentReporter reporter;  // answers Yes
  StorageContext storage{reporter, {}, {}, false};
  DeviceRegistry registry;
  DataLocation location{dir.path()};
  HistoryEnv env{registry, location, storage, 50000};
  DeviceHistory history;
  RotatingLog appLog;
  WaitingSink sink;

  ReceptionFixture() {
    DeviceRecord device;
    device.deviceId = 12;
    registry.put(device);
  }

  // Counts the sent lines whose reading is not stored exactly as sent.
  int64_t wrongReadings(const std::vector<std::string>& sent) {
    std::map<int64_t, MonthRecord> months;
    int64_t wrong = 0;
    for (const std::string& line : sent) {
      ParsedLine p = parseReceptionLine(line);
      CalendarFields f = p.when.fields();
      int64_t key = f.year * 100 + f.month;
      if (!months.count(key)) readMonthFile(location.monthFile(12, p.when), months[key], storage);
      const auto& readings = months[key].days[static_cast<std::size_t>(f.day - 1)].readings;
      bool found = false;
      for (const Reading& r : readings) {
        found = found || (r == Reading{f.hour, f.minute, p.pulseCount, p.temperature});
      }
      wrong += found ? 0 : 1;
    }
    return wrong;
  }
};

// 4,464 lines (three 31-day months) written into a pseudo-terminal at 256000 baud
// (25,600 bytes per second). Arg 1: pause only while idle; 0: after every line.
void BM_FastTransmission(benchmark::State& state) {
  constexpr double kBytesPerSecond = 25600;
  std::vector<std::string> lines = dataLines(93);
  for (auto _ : state) {
    ReceptionFixture f;
    test::PtyPair pty;
    CollectionOptions options;
    options.comm = {1, 256000, 8, 0, 0, 0};
    options.showReceivedLines = true;
    options.pauseOnlyWhenIdle = state.range(0) != 0;
    CollectionEngine engine(
        f.history, f.env, f.reporter, f.sink, f.appLog, [&](int) { return pty.slavePath(); }, options);
    engine.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    // The device: paced to the line's speed; a write that blocks is the receiver falling behind.
    auto start = Clock::now();
    double sentBytes = 0;
    double blockedSeconds = 0;
    auto send = [&](const std::string& text) {
      auto before = Clock::now();
      pty.write(text);
      blockedSeconds += std::chrono::duration<double>(Clock::now() - before).count();
      sentBytes += static_cast<double>(text.size());
      std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                std::chrono::duration<double>(sentBytes / kBytesPerSecond)));
    };
    send("12\r\n");
    for (const std::string& line : lines) send(line + "\r\n");
    send(std::string(kEndLineText) + "\r\n");
    double sendSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    const std::optional<NotificationKind> end = f.sink.waitForEnd();
    double receiveSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    engine.join();

    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["wrong_or_lost"] =
        end == NotificationKind::Finished ? static_cast<double>(f.wrongReadings(lines)) : -1;
    state.counters["send_s"] = sendSeconds;
    state.counters["paced_s"] = sentBytes / kBytesPerSecond;
    state.counters["writer_blocked_s"] = blockedSeconds;
    state.counters["received_and_stored_s"] = receiveSeconds;
  }
}
BENCHMARK(BM_FastTransmission)
    ->ArgName("pauseOnlyWhenIdle")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// A file import of one full month (31 x 48 lines), including merging and saving.
void BM_ImportFullMonthFile(benchmark::State& state) {
  std::vector<std::string> lines = dataLines(31);
  std::string text = "12\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  for (auto _ : state) {
    state.PauseTiming();
    auto f = std::make_unique<ReceptionFixture>();
    test::writeFile(f->dir / "month.txt", text);
    CollectionOptions options;
    options.mode = CollectionOptions::Mode::File;
    options.file = f->dir / "month.txt";
    options.showReceivedLines = true;
    options.pauseOnlyWhenIdle = state.range(0) != 0;
    CollectionEngine engine(f->history, f->env, f->reporter, f->sink, f->appLog, {}, options);
    state.ResumeTiming();
    engine.start();
    if (f->sink.waitForEnd() != NotificationKind::Finished) state.SkipWithError("import failed");
    engine.join();
  }
}
BENCHMARK(BM_ImportFullMonthFile)
    ->ArgName("pauseOnlyWhenIdle")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelnor::bench
