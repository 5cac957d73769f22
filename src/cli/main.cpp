// pelnor-cli: the data core without a window, for inspecting, repairing, collecting and
// exporting; painting is handed to its companion.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "data/system.h"

namespace {

constexpr const char* kUsage =
    "usage: pelnor-cli COMMAND [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  dump [--kind master|month] [--aggregate] FILE\n"
    "      print a device master file (MCDATA.MST) or a month file (D*.dmd) as JSON;\n"
    "      the kind is told by the file's signature unless --kind forces it; --aggregate\n"
    "      adds the half-hour slots and statistics computed with the pulse constant\n"
    "  restore JSON FILE\n"
    "      write a device master file or a month file from JSON as dump prints it\n"
    "  show [--root DIR] --device ID --month YYYY-MM [--months N]\n"
    "      load the month and the N-1 months before it as the past-data display does and\n"
    "      print the loaded period: its first and last date and, per month, the statistics\n"
    "      and the demand and energy scales chosen for it\n"
    "  import FILE [--yes | --no]\n"
    "      collect a device's readings from a text file of the same content as the serial\n"
    "      line; the confirmation is answered by --yes / --no, or asked on the terminal\n"
    "  receive [--port N] [--yes | --no]\n"
    "      collect from the serial port with the communication settings of the root's\n"
    "      device master (--port replaces the port number); COMn is the device path of\n"
    "      [SerialPorts] COMn in Pelnor.INI, else /dev/ttyS0-3, /dev/ttyUSB0-7, /dev/ttyACM0-7;\n"
    "      with [Maintenance] NoneRS=1 a simulated device sends two days of readings\n"
    "      import and receive exit 1 when the reception ends with a problem\n"
    "  render --device ID --date YYYY-MM|YYYY-MM-DD --view sheet|graph|report [--size WxH] --out FILE.png\n"
    "      paint the table, the graph or the monthly report as the window does\n"
    "  print --device ID --kind day|month --from DATE --to DATE [--report] --pdf OUT.pdf\n"
    "      print a page per day or per month into a PDF\n"
    "      render and print run in the companion program pelnor-render\n"
    "  export-csv --device ID --date YYYY-MM|YYYY-MM-DD [--with-days] --out FILE\n"
    "      write the aggregated values of a day or a month as CSV\n"
    "  export-raw --device ID --month YYYY-MM --out FILE\n"
    "      write a month's readings as the device's lines; import reads them back\n"
    "  copy --device ID --to DIR [--yes | --no]\n"
    "      copy a device's data and record to another folder\n"
    "  demo\n"
    "      fill a root that has no device master yet with demonstration data (device 100)\n"
    "\n"
    "options of every command:\n"
    "  --root DIR    the data root (default: the program folder)\n"
    "  --ini FILE    the settings file (default: Pelnor.INI in the program folder; never written)\n"
    "  --help\n"
    "      show this text\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace pelnor::cli;
  Args args = pelnor::commandLineArguments(argc, argv);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? kUsageError : 0;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "dump") return runDump(args);
  if (command == "restore") return runRestore(args);
  if (command == "show") return runShow(args);
  if (command == "import") return runImport(args);
  if (command == "receive") return runReceive(args);
  if (command == "render" || command == "print") return runInCompanion(command, args);
  if (command == "demo") return runDemo(args);
  if (command == "export-csv") return runExportCsv(args);
  if (command == "export-raw") return runExportRaw(args);
  if (command == "copy") return runCopy(args);
  std::fprintf(stderr, "pelnor-cli: unknown command '%s'\n\n%s", command.c_str(), kUsage);
  return kUsageError;
}
