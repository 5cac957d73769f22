// import and receive: a collection without a window. Each notification prints as the
// reception dialog's list would show it (with --quiet only the problems and the result);
// the confirmation is answered by --yes / --no or asked on the terminal.
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <iterator>

#include "cli/cli_environment.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/output_target.h"
#include "comm/collection.h"
#include "comm/program_state.h"
#include "comm/port_lock_cleanup.h"
#include "comm/waiting_sink.h"
#include "data/text.h"

namespace pelnor::cli {

namespace {

// Prints each text as the reception window lists it; problems go to stderr. Quiet, the
// steps are left out and the end is said instead.
void print(const Notification& n, const char* command, bool quiet) {
  if (n.kind == NotificationKind::Progress && !quiet) std::cout << n.text << std::endl;
  if (n.kind == NotificationKind::Problem) std::cerr << n.text << std::endl;
  if (n.kind == NotificationKind::Finished && quiet)
    std::cout << "pelnor-cli " << command << ": the reception ended without problems" << std::endl;
  if (n.kind == NotificationKind::Failed) std::cerr << "受信処理で問題が発生しました" << std::endl;
}

int collect(CliEnvironment& env, const CommonOptions& common, const char* command, bool quiet,
            CollectionOptions options, std::optional<int> portOverride = std::nullopt) {
  if (const std::optional<int> limit = common.waitMs()) options.fileOpenLimitMs = *limit;
  DeviceRegistry registry(env.storage.defaults);
  if (!registry.load(env.location.root(), env.storage)) return 1;
  if (registry.count() == 0) {
    std::cerr << "機器が設定されていません\n先に「機器の設定」を行ってください" << std::endl;
    return 1;
  }
  if (options.mode == CollectionOptions::Mode::Serial) {
    options.comm = registry.commSettings;
    if (portOverride) options.comm[0] = *portOverride;
  }
  options.simulatedDevice = env.settings.noSerialPort != 0;
  // Ended by a signal, a reception still takes its port's lock file away.
  if (options.mode == CollectionOptions::Mode::Serial && !options.simulatedDevice)
    removePortLocksOnTerminationSignals();
  options.showReceivedLines = env.settings.showReceivedData != 0;
  const std::filesystem::path programDir = env.settings.ini.ProgramDir();
  DataLocation::createFolderPath(programDir);  // the logs' folder, the own data root made when first needed
  if (env.settings.commLog != 0) options.commLogPrefix = pathText(programDir / "COMM_");

  RotatingLog appLog;
  openApplicationLog(appLog, programDir, env.settings.ini.BaseName());
  HistoryEnv historyEnv = env.historyEnv(registry);
  DeviceHistory history;
  WaitingSink sink([command, quiet](const Notification& n) { print(n, command, quiet); });
  CollectionEngine engine(
      history, historyEnv, env.reporter, sink, appLog,
      [&env](int port) { return env.settings.serialDevicePath(port); }, options);
  engine.start();
  const std::optional<NotificationKind> end = sink.waitForEnd();
  engine.join();
  if (env.reporter.unanswered()) return unansweredError(command);
  return end == NotificationKind::Finished ? 0 : 1;
}

}  // namespace

int runImport(const CollectOptions& arguments) {
  CliEnvironment env(arguments.common, arguments.answers.answer());
  CollectionOptions options;
  options.mode = CollectionOptions::Mode::File;
  if (isStandardStream(arguments.file)) {
    // The text comes on standard input, which then answers no question.
    options.contents = std::string(std::istreambuf_iterator<char>(std::cin), {});
    env.reporter.noTerminal();
  } else {
    options.file = pathFromText(arguments.file);
  }
  return collect(env, arguments.common, "import", arguments.quiet, options);
}

int runReceive(const CollectOptions& arguments) {
  CliEnvironment env(arguments.common, arguments.answers.answer());
  std::srand(static_cast<unsigned>(std::time(nullptr)));  // the simulated device's readings
  CollectionOptions options;
  options.mode = CollectionOptions::Mode::Serial;
  // A port given on the command line replaces the one of the device master.
  std::optional<int> portNumber;
  if (arguments.port) portNumber = parseIntPrefix(*arguments.port);
  return collect(env, arguments.common, "receive", arguments.quiet, options, portNumber);
}

}  // namespace pelnor::cli
