// import and receive: a collection without a window. Each notification prints as the
// reception dialog's list would show it; the confirmation is answered by --yes / --no
// or asked on the terminal.
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "cli/cli_environment.h"
#include "cli/commands.h"
#include "comm/collection.h"
#include "comm/waiting_sink.h"
#include "data/text.h"

namespace pelnor::cli {

namespace {

constexpr int kAppLogDaysPerFile = 7;
constexpr int kAppLogFiles = 4;
constexpr int kAppLogOpenTimeoutMs = 10000;
constexpr int64_t kAppLogSizeLimit = 5242880;

// Prints each text as the reception window lists it; problems go to stderr.
void print(const Notification& n) {
  if (n.kind == Notification::kProgress) std::cout << n.text << std::endl;
  if (n.kind == Notification::kProblem) std::cerr << n.text << std::endl;
  if (n.kind == Notification::kFailed) std::cerr << "受信処理で問題が発生しました" << std::endl;
}

std::optional<bool> takeAnswer(Args& args) {
  bool yes = takeFlag(args, "--yes");
  bool no = takeFlag(args, "--no");
  if (yes) return true;
  if (no) return false;
  return std::nullopt;
}

int collect(CliEnvironment& env, CollectionOptions options, std::optional<int> portOverride = std::nullopt) {
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
  options.showReceivedLines = env.settings.showReceivedData != 0;
  const std::filesystem::path programDir = env.settings.ini.ProgramDir();
  if (env.settings.commLog != 0) options.commLogPrefix = pathText(programDir / "COMM_");

  RotatingLog appLog;
  appLog.Configure(pathText(programDir / pathFromText(env.settings.ini.BaseName())), kAppLogDaysPerFile,
                   kAppLogFiles, kAppLogOpenTimeoutMs, kAppLogSizeLimit);
  HistoryEnv historyEnv = env.historyEnv(registry);
  DeviceHistory history;
  WaitingSink sink(print);
  CollectionEngine engine(
      history, historyEnv, env.reporter, sink, appLog,
      [&env](int port) { return env.settings.serialDevicePath(port); }, options);
  sink.attach(engine);
  engine.start();
  int kind = sink.waitForEnd();
  engine.join();
  return kind == Notification::kFinished ? 0 : 1;
}

}  // namespace

int runImport(const Args& arguments) {
  Args args = arguments;
  std::optional<bool> answer = takeAnswer(args);
  CliEnvironment env(args, answer);
  if (args.size() != 1) {
    std::cerr << "usage: pelnor-cli import FILE [--root DIR] [--ini FILE] [--yes | --no]\n";
    return kUsageError;
  }
  CollectionOptions options;
  options.mode = CollectionOptions::Mode::File;
  options.file = pathFromText(args[0]);
  return collect(env, options);
}

int runReceive(const Args& arguments) {
  Args args = arguments;
  std::optional<bool> answer = takeAnswer(args);
  CliEnvironment env(args, answer);
  std::optional<std::string> port = takeOption(args, "--port");
  if (!args.empty()) {
    std::cerr << "usage: pelnor-cli receive [--root DIR] [--ini FILE] [--port N] [--yes | --no]\n";
    return kUsageError;
  }
  std::srand(static_cast<unsigned>(std::time(nullptr)));  // the simulated device's readings
  CollectionOptions options;
  options.mode = CollectionOptions::Mode::Serial;
  // A port given on the command line replaces the one of the device master.
  std::optional<int> portNumber;
  if (port) portNumber = parseIntPrefix(*port);
  return collect(env, options, portNumber);
}

}  // namespace pelnor::cli
