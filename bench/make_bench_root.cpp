// Writes a data root for measuring pelnor-cli: make_bench_root DIR [MONTHS]
#include <cstdio>
#include <cstdlib>

#include "bench/bench_root.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_bench_root DIR [MONTHS]\n");
    return 2;
  }
  pelnor::bench::SilentReporter reporter;
  int months = argc > 2 ? std::atoi(argv[2]) : 99;
  std::filesystem::create_directories(argv[1]);
  return pelnor::bench::writeBenchRoot(argv[1], months, reporter) ? 0 : 1;
}
