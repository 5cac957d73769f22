// render and print in a build without Qt (the Windows core build): they say so.
#include <cstdio>

#include "cli/commands.h"

namespace pelnor::cli {

namespace {

int absent(const char* command) {
  std::fprintf(stderr, "pelnor-cli %s: this build has no views to paint (built without Qt)\n", command);
  return 1;
}

}  // namespace

int runRender(const Args&) { return absent("render"); }
int runPrint(const Args&) { return absent("print"); }

}  // namespace pelnor::cli
