#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>

#include "cli/cli_environment.h"
#include "data/path_text.h"

namespace pelnor::cli {

namespace {

constexpr const char* kProgram = "pelnor-cli";

// Kept as given, so that a command can tell an option left out from one given empty.
void addOptionalText(CLI::App& command, const std::string& name, std::optional<std::string>& target,
                     const std::string& description, const char* typeName) {
  command.add_option_function<std::string>(
             name, [&target](const std::string& value) { target = value; }, description)
      ->type_name(typeName);
}

// Where an installed program keeps each user's data, as the user would look for it.
#ifdef _WIN32
constexpr const char* kUserDataText = "%LOCALAPPDATA%\\Pelnor";
#else
constexpr const char* kUserDataText = "$XDG_DATA_HOME/Pelnor, by default ~/.local/share/Pelnor";
#endif

void addCommon(CLI::App& command, CommonOptions& options) {
  const std::string ownRoot = pathText(programFolder());
  addOptionalText(command, "--root", options.root,
                  "the data root (default: the program's own data root: the folder of pelnor-cli when it "
                  "is not installed and can be written, else " +
                      std::string(kUserDataText) + "; here " + ownRoot + ")",
                  "DIR");
  addOptionalText(command, "--ini", options.ini,
                  "the settings file, read and never written (default: Pelnor.INI in the program's own "
                  "data root, here " +
                      pathText(programFolder() / "Pelnor.INI") + ")",
                  "FILE");
  command
      .add_option_function<int>(
          "--wait", [&options](int seconds) { options.waitSeconds = seconds; },
          "how many seconds to wait for a file or lock that another program holds, 0 to fail at once "
          "(default: 60 for the device master, 180 for a device's months, 60 for the file of import)")
      ->check(CLI::Range(0, kMostWaitSeconds))
      ->type_name("SECONDS");
}

void addAnswers(CLI::App& command, AnswerOptions& options) {
  CLI::Option* yes = command.add_flag("--yes", options.yes, "answer every question Yes");
  CLI::Option* no = command.add_flag("--no", options.no, "answer every question No");
  yes->excludes(no);
}

void addDevice(CLI::App& command, std::string& device) {
  command.add_option("--device", device, "the device ID")->required()->type_name("ID");
}

void addDate(CLI::App& command, std::string& date) {
  command.add_option("--date", date, "a month (YYYY-MM) or a day (YYYY-MM-DD)")
      ->required()
      ->type_name("YYYY-MM[-DD]");
}

void addPeriodKind(CLI::App& command, std::string& kind) {
  command
      .add_option("--kind", kind,
                  "a day, a month, or the year of twelve months that ends with the month (default: told by --date)")
      ->check(CLI::IsMember({"day", "month", "year"}))
      ->type_name("day|month|year");
}

void addOut(CLI::App& command, std::string& out, const char* what) {
  command.add_option("--out", out, std::string(what) + "; - is standard output")->required()->type_name("FILE");
}

CLI::App& addCommand(CLI::App& app, const char* name, const char* description) {
  CLI::App& command = *app.add_subcommand(name, description);
  command.footer(std::string("Run 'pelnor-cli --help' for the other commands."));
  return command;
}

void addDump(CLI::App& app, DumpOptions& o) {
  CLI::App& c = addCommand(app, "dump",
                           "print a device master file (MCDATA.MST) or a month file (D*.dmd) as JSON");
  addCommon(c, o.common);
  c.add_option("FILE", o.file, "the file to print")->required();
  c.add_option("--kind", o.kind, "the kind of the file (default: told by its signature or name)")
      ->check(CLI::IsMember({"master", "month"}))
      ->type_name("master|month");
  c.add_flag("--aggregate", o.aggregate,
             "add the half-hour slots and statistics computed with the pulse constant (month files)");
  c.add_option("--out", o.out, "where the JSON goes; - is standard output")
      ->capture_default_str()
      ->type_name("FILE");
}

void addRestore(CLI::App& app, RestoreOptions& o) {
  CLI::App& c = addCommand(app, "restore", "write a device master file or a month file from JSON as dump prints it");
  addCommon(c, o.common);
  c.add_option("JSON", o.json, "the JSON to read; - is standard input")->required();
  c.add_option("FILE", o.file, "the file to write")->required();
}

void addShow(CLI::App& app, ShowOptions& o) {
  CLI::App& c = addCommand(app, "show",
                           "load a month and the months before it as the past-data display does and print the "
                           "period, each month's statistics and the scales chosen for it");
  addCommon(c, o.common);
  addDevice(c, o.device);
  c.add_option("--month", o.month, "the last month to load")->required()->type_name("YYYY-MM");
  addOptionalText(c, "--months", o.months,
                  "how many months to load, 1 to 99 (default: the number the window loads, from the "
                  "settings file)",
                  "N");
}

void addCollect(CLI::App& c, CollectOptions& o) {
  addCommon(c, o.common);
  addAnswers(c, o.answers);
  c.add_flag("--quiet", o.quiet, "print only problems and the result, not every step and received line");
}

void addImport(CLI::App& app, CollectOptions& o) {
  CLI::App& c = addCommand(app, "import",
                           "collect a device's readings from a text file of the same content as the serial "
                           "line; exits 1 when the reception ends with a problem");
  addCollect(c, o);
  c.add_option("FILE", o.file, "the text to read; - is standard input (then answer with --yes or --no)")
      ->required();
}

void addReceive(CLI::App& app, CollectOptions& o) {
  CLI::App& c = addCommand(
      app, "receive",
      "collect from the serial port with the communication settings of the root's device master; COMn is "
      "the device of [SerialPorts] COMn in the settings file (left empty: not set), else /dev/ttyS0-3, "
      "/dev/ttyUSB0-7, /dev/ttyACM0-7; with [Maintenance] NoneRS=1 a simulated device sends two days of readings; exits 1 "
      "when the reception ends with a problem");
  addCollect(c, o);
  addOptionalText(c, "--port", o.port, "the port number COMn to use (default: the device master's)", "N");
}

void addDemo(CLI::App& app, CommonOptions& o) {
  CLI::App& c = addCommand(app, "demo", "write demonstration data (device 100, four months) into a root without devices");
  addCommon(c, o);
}

void addExportCsv(CLI::App& app, ExportCsvOptions& o) {
  CLI::App& c = addCommand(app, "export-csv", "write a day's, a month's or a year's table as CSV (cp932)");
  addCommon(c, o.common);
  addDevice(c, o.device);
  addDate(c, o.date);
  addPeriodKind(c, o.kind);
  c.add_flag("--with-days", o.withDays, "for a month, add the table of each of its days");
  addOut(c, o.out, "the file to write");
}

void addExportRaw(CLI::App& app, ExportRawOptions& o) {
  CLI::App& c = addCommand(app, "export-raw", "write a month's readings as the raw text the device sends");
  addCommon(c, o.common);
  addDevice(c, o.device);
  c.add_option("--month", o.month, "the month")->required()->type_name("YYYY-MM");
  addOut(c, o.out, "the file to write");
}

void addCopy(CLI::App& app, CopyOptions& o) {
  CLI::App& c = addCommand(app, "copy", "copy a device's master entry and months into another data root");
  addCommon(c, o.common);
  addAnswers(c, o.answers);
  addDevice(c, o.device);
  c.add_option("--to", o.to, "the data root to copy into")->required()->type_name("DIR");
}

void addRender(CLI::App& app, RenderOptions& o) {
  CLI::App& c =
      addCommand(app, "render", "paint the sheet, graph or report of a day, a month or a year into a PNG");
  addCommon(c, o.common);
  addDevice(c, o.device);
  addDate(c, o.date);
  addPeriodKind(c, o.kind);
  c.add_option("--view", o.view, "the view to paint")
      ->required()
      ->check(CLI::IsMember({"sheet", "graph", "report"}))
      ->type_name("sheet|graph|report");
  c.add_option("--size", o.size, "the picture's size in pixels")->capture_default_str()->type_name("WxH");
  addOut(c, o.out, "the PNG file to write");
}

void addPrint(CLI::App& app, PrintOptions& o) {
  CLI::App& c = addCommand(app, "print", "print the pages of days, months or years into a PDF (A4)");
  addCommon(c, o.common);
  addDevice(c, o.device);
  c.add_option("--kind", o.kind, "a page per day, per month, or per year ending with each month")
      ->required()
      ->check(CLI::IsMember({"day", "month", "year"}))
      ->type_name("day|month|year");
  c.add_option("--from", o.from, "the first day or month")->required()->type_name("DATE");
  c.add_option("--to", o.to, "the last day or month")->required()->type_name("DATE");
  c.add_flag("--report", o.report, "monthly pages as the report (with --kind month)");
  c.add_option("--pdf", o.pdf, "the PDF file to write; - is standard output")->required()->type_name("FILE");
}

}  // namespace

CommandLine::CommandLine() : app_(std::make_unique<CLI::App>("Pelnor's data without a window.", kProgram)) {
  CLI::App& app = *app_;
  app.set_version_flag("--version", std::string(kProgram) + " " + PELNOR_VERSION_TEXT);
  app.require_subcommand(1);
  app.footer("Run 'pelnor-cli COMMAND --help' for a command's options.");
  addDump(app, dump);
  addRestore(app, restore);
  addShow(app, show);
  addImport(app, import);
  addReceive(app, receive);
  addDemo(app, demo);
  addExportCsv(app, exportCsv);
  addExportRaw(app, exportRaw);
  addCopy(app, copy);
  addRender(app, render);
  addPrint(app, print);
}

CommandLine::~CommandLine() = default;

std::optional<int> CommandLine::parse(const Args& args) {
  if (!args.empty() && !args[0].empty() && args[0][0] != '-') {
    const auto known = app_->get_subcommands([&](CLI::App* c) { return c->get_name() == args[0]; });
    if (known.empty()) {
      std::cerr << kProgram << ": unknown command '" << args[0] << "'\nRun 'pelnor-cli --help' for the commands.\n";
      return kUsageError;
    }
  }
  std::vector<std::string> reversed(args.rbegin(), args.rend());  // the parser takes them last first
  try {
    app_->parse(reversed);
  } catch (const CLI::Success& e) {  // --help, --version
    return app_->exit(e);
  } catch (const CLI::ParseError& e) {
    const auto chosen = app_->get_subcommands();
    const std::string name = chosen.empty() ? std::string(kProgram) : kProgram + (" " + chosen[0]->get_name());
    std::cerr << name << ": " << e.what() << "\nRun '" << name << " --help' for the options.\n";
    return kUsageError;
  }
  command_ = app_->get_subcommands().at(0)->get_name();
  return std::nullopt;
}

}  // namespace pelnor::cli
