// The window's start-up as a user meets it: whole processes, from exec to the end of the
// first paint (the programs end there when PELNOR_QUIT_AFTER_FIRST_PAINT is set), run in
// turn with an empty Qt window built the same way, so that their ratio is the figure, and
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
  double ms;
  long peakKb;
};

Run runOnce(const std::string& program, const char* argument = nullptr) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    // Their chatter on a platform without a desktop is not the figure's business.
    if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(127);
    execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s ended with status %d\n", program.c_str(), status);
    std::exit(1);
  }
  return {ms, usage.ru_maxrss};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void report(const char* what, const std::vector<Run>& runs) {
  std::vector<double> ms, kb;
  for (const Run& r : runs) {
    ms.push_back(r.ms);
    kb.push_back(static_cast<double>(r.peakKb));
  }
  std::printf("%-14s median %7.1f ms  (min %7.1f, max %7.1f)  peak memory median %6.1f MB\n", what, median(ms),
              *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
              median(kb) / 1024);
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
  std::vector<double> ratios, textRatios;
  for (int i = 0; i < runs; ++i) {
    ours.push_back(runOnce(pelnor.string()));
    yardstick.push_back(runOnce(empty));
    withText.push_back(runOnce(empty, "--text"));
    ratios.push_back(ours.back().ms / yardstick.back().ms);
    textRatios.push_back(ours.back().ms / withText.back().ms);
  }
  report("Pelnor", ours);
  report("empty window", yardstick);
  report("one text line", withText);
  std::printf("Pelnor / empty window (median of %d runs in turn): %.2f\n", runs, median(ratios));
  std::printf("Pelnor / one text line (median of %d runs in turn): %.2f\n", runs, median(textRatios));
  return 0;
}
