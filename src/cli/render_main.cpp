// pelnor-render: the companion of pelnor-cli that runs render and print, the commands
// that need Qt. pelnor-cli starts it as "pelnor-render render|print ARGS".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/cli_environment.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/companion.h"
#include "data/system.h"

int main(int argc, char** argv) {
  using namespace pelnor::cli;
  const Args args = pelnor::commandLineArguments(argc, argv);
  if (const std::string folder = pelnor::environmentText(kCliFolderVariable); !folder.empty()) {
    actForProgramIn(pelnor::pathFromText(folder));
  }
  CommandLine line;
  if (std::optional<int> ended = line.parse(args)) return *ended;
  if (line.command() == "render") return runRender(line.render);
  if (line.command() == "print") return runPrint(line.print);
  std::fprintf(stderr, "usage: %s render|print ARGUMENTS (run by pelnor-cli)\n", kCompanionName);
  return kUsageError;
}
