// pelnor-cli: the data core without a window, for inspecting, repairing and collecting.
#include "cli/command_line.h"
#include "cli/commands.h"
#include "data/system.h"

int main(int argc, char** argv) {
  using namespace pelnor::cli;
  const Args args = pelnor::commandLineArguments(argc, argv);
  CommandLine line;
  if (std::optional<int> ended = line.parse(args)) return *ended;
  const std::string& command = line.command();
  if (command == "dump") return runDump(line.dump);
  if (command == "restore") return runRestore(line.restore);
  if (command == "show") return runShow(line.show);
  if (command == "import") return runImport(line.import);
  if (command == "receive") return runReceive(line.receive);
  if (command == "demo") return runDemo(line.demo);
  if (command == "export-csv") return runExportCsv(line.exportCsv);
  if (command == "export-raw") return runExportRaw(line.exportRaw);
  if (command == "copy") return runCopy(line.copy);
  // Checked here already; the companion parses them again with the same parser.
  return runInCompanion(command, Args(args.begin() + 1, args.end()));
}
