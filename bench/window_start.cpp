// The window's start-up as a user meets it: whole processes, from exec to the end of the
// first paint (the programs say when, and end there, when PELNOR_QUIT_AFTER_FIRST_PAINT is
// set; the time to their exit is given too), run in turn with an empty Qt window built the same way, so that their ratio is the figure, and
// with a window of one line of text (the fonts loaded, as any window with text must).
//   window_start PELNOR EMPTY_WINDOW ROOT [RUNS]
// PELNOR is copied into ROOT (a data root made by make_bench_root), since the program's
// folder is its data root. The platform is the environment's (QT_QPA_PLATFORM, DISPLAY);
// without a display it is offscreen.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Run {
  double paintMs;  // exec to the end of the first paint
  double exitMs;   // exec to the process's end
  long peakKb;
};

double msSince(std::chrono::steady_clock::time_point start, std::chrono::steady_clock::time_point end) {
  return std::chrono::duration<double, std::milli>(end - start).count();
}

// The program says when its first paint was done (steady clock, shared between processes).
std::chrono::steady_clock::time_point firstPaintFrom(const std::string& output, const std::string& program) {
  long long ns = 0;
  const std::size_t at = output.rfind("first paint done at ");
  if (at == std::string::npos || std::sscanf(output.c_str() + at, "first paint done at %lld ns", &ns) != 1) {
    std::fprintf(stderr, "%s did not say when it painted\n", program.c_str());
    std::exit(1);
  }
  return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(ns));
}

Run runOnce(const std::string& program, const char* argument = nullptr) {
  int out[2];
  if (pipe(out) != 0) std::exit(1);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    // Their chatter on a platform without a desktop is not the figure's business.
    if (dup2(out[1], STDOUT_FILENO) < 0 || !freopen("/dev/null", "w", stderr)) _exit(127);
    close(out[0]);
    close(out[1]);
    execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
  close(out[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s ended with status %d\n", program.c_str(), status);
    std::exit(1);
  }
  return {msSince(start, firstPaintFrom(output, program)), msSince(start, end), usage.ru_maxrss};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void report(const char* what, const std::vector<Run>& runs) {
  std::vector<double> paint, exit, kb;
  for (const Run& r : runs) {
    paint.push_back(r.paintMs);
    exit.push_back(r.exitMs);
    kb.push_back(static_cast<double>(r.peakKb));
  }
  std::printf("%-14s first paint median %6.1f ms (min %6.1f, max %6.1f), exit median %6.1f ms, peak memory median %5.1f MB\n",
              what, median(paint), *std::min_element(paint.begin(), paint.end()),
              *std::max_element(paint.begin(), paint.end()), median(exit), median(kb) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: window_start PELNOR EMPTY_WINDOW ROOT [RUNS]\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path root = argv[3];
  const fs::path pelnor = root / "Pelnor";
  fs::copy_file(argv[1], pelnor, fs::copy_options::overwrite_existing);
  const std::string empty = argv[2];
  const int runs = argc > 4 ? std::atoi(argv[4]) : 21;
  setenv("PELNOR_QUIT_AFTER_FIRST_PAINT", "1", 1);
  if (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);

  runOnce(pelnor.string());  // the first start writes its settings; then the page cache is warm
  runOnce(empty);
  std::vector<Run> ours, yardstick, withText;
  std::vector<double> ratios, textRatios, exitRatios;
  for (int i = 0; i < runs; ++i) {
    ours.push_back(runOnce(pelnor.string()));
    yardstick.push_back(runOnce(empty));
    withText.push_back(runOnce(empty, "--text"));
    ratios.push_back(ours.back().paintMs / yardstick.back().paintMs);
    textRatios.push_back(ours.back().paintMs / withText.back().paintMs);
    exitRatios.push_back(ours.back().exitMs / yardstick.back().exitMs);
  }
  report("Pelnor", ours);
  report("empty window", yardstick);
  report("one text line", withText);
  std::printf("exec to first paint, Pelnor / empty window (median of %d runs in turn): %.2f\n", runs, median(ratios));
  std::printf("exec to first paint, Pelnor / one text line (median of %d runs in turn): %.2f\n", runs, median(textRatios));
  std::printf("exec to exit, Pelnor / empty window (median of %d runs in turn): %.2f\n", runs, median(exitRatios));
  return 0;
}
