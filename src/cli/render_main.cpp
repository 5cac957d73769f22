// pelnor-render: the companion of pelnor-cli that runs render and print, the commands
// that need Qt. pelnor-cli starts it as "pelnor-render render|print ARGS".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/cli_environment.h"
#include "cli/commands.h"
#include "cli/companion.h"
#include "data/system.h"

int main(int argc, char** argv) {
  using namespace pelnor::cli;
  Args args = pelnor::commandLineArguments(argc, argv);
  if (const char* folder = std::getenv(kCliFolderVariable); folder && *folder) {
    actForProgramIn(pelnor::pathFromText(folder));
  }
  const std::string command = args.empty() ? std::string() : args[0];
  if (!args.empty()) args.erase(args.begin());
  if (command == "render") return runRender(args);
  if (command == "print") return runPrint(args);
  std::fprintf(stderr, "usage: %s render|print ARGUMENTS (run by pelnor-cli)\n", kCompanionName);
  return kUsageError;
}
