// pelnor-cli's command line: every command with its options, parsed by one parser that
// pelnor-cli and its painting companion share, so both agree on what is valid.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cli/commands.h"

namespace CLI {
class App;
}

namespace pelnor::cli {

// "-" for a file means standard input or standard output.
inline constexpr const char* kStandardStream = "-";

// The options every command takes.
struct CommonOptions {
  std::optional<std::string> root;  // empty: the program's own data root
  std::optional<std::string> ini;   // empty: Pelnor.INI in the program's own data root
  // How long to wait for a file another program holds; empty: each file's own limit.
  std::optional<int> waitSeconds;
  std::optional<int> waitMs() const {
    return waitSeconds ? std::optional<int>(*waitSeconds * 1000) : std::nullopt;
  }
};
// The longest --wait whose milliseconds an int holds: more than three weeks.
inline constexpr int kMostWaitSeconds = 2000000;

// --yes / --no: how the command's questions are answered; empty: asked on the terminal.
struct AnswerOptions {
  bool yes = false;
  bool no = false;
  std::optional<bool> answer() const {
    if (yes) return true;
    if (no) return false;
    return std::nullopt;
  }
};

struct DumpOptions {
  CommonOptions common;
  std::string kind;  // empty: told by the file
  bool aggregate = false;
  std::string file;
  std::string out = kStandardStream;
};

struct RestoreOptions {
  CommonOptions common;
  std::string json;
  std::string file;
};

struct ShowOptions {
  CommonOptions common;
  std::string device;
  std::string month;
  std::optional<std::string> months;  // empty: the months the window loads
};

struct CollectOptions {
  CommonOptions common;
  AnswerOptions answers;
  bool quiet = false;
  std::string file;                 // import
  std::optional<std::string> port;  // receive
};

struct ExportCsvOptions {
  CommonOptions common;
  std::string device;
  std::string date;
  std::string kind;
  bool withDays = false;
  std::string out;
};

struct ExportRawOptions {
  CommonOptions common;
  std::string device;
  std::string month;
  std::string out;
};

struct CopyOptions {
  CommonOptions common;
  AnswerOptions answers;
  std::string device;
  std::string to;
};

struct RenderOptions {
  CommonOptions common;
  std::string device;
  std::string date;
  std::string kind;
  std::string view;
  std::string size = "1600x1000";
  std::string out;
};

struct PrintOptions {
  CommonOptions common;
  std::string device;
  std::string kind;
  std::string from;
  std::string to;
  bool report = false;
  std::string pdf;
};

class CommandLine {
 public:
  CommandLine();
  ~CommandLine();
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  // Parses the arguments after the program's name. Returns the exit code when the run
  // ends here: 0 after --help or --version, kUsageError after a wrong argument (named on
  // stderr). Otherwise command() names the chosen command and its options are filled.
  std::optional<int> parse(const Args& args);
  const std::string& command() const { return command_; }

  DumpOptions dump;
  RestoreOptions restore;
  ShowOptions show;
  CollectOptions import;
  CollectOptions receive;
  CommonOptions demo;
  ExportCsvOptions exportCsv;
  ExportRawOptions exportRaw;
  CopyOptions copy;
  RenderOptions render;
  PrintOptions print;

 private:
  std::unique_ptr<CLI::App> app_;
  std::string command_;
};

}  // namespace pelnor::cli
