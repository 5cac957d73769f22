// render and print in a build without Qt (the Windows core build): there is no companion
// that paints, and they say so.
#include <cstdio>

#include "cli/commands.h"

namespace pelnor::cli {

int runInCompanion(const std::string& command, const Args&) {
  std::fprintf(stderr, "pelnor-cli %s: this build has no views to paint (built without Qt)\n",
               command.c_str());
  return 1;
}

}  // namespace pelnor::cli
