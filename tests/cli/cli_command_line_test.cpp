// pelnor-cli's command line as a user meets it: help for every command, the version, both
// ways of writing an option, wrong arguments named, "-" for standard input and output,
// questions that cannot be asked, and read-only commands that create nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "support/cli_runner.h"

namespace pelnor {
namespace {

using namespace test;
namespace fs = std::filesystem;

struct Result {
  int exit = -1;
  std::string out;
  std::string err;
};

// Runs program with exactly these arguments, standard input from a file of stdinText,
// and the given environment variables set (an empty value removes one).
Result runProgram(const fs::path& program, const std::vector<std::string>& commandArgs, const fs::path& work,
                  const std::string& stdinText = "", const std::map<std::string, std::string>& env = {}) {
  writeFile(work / "stdin", stdinText);
  std::vector<std::string> args{program.string()};
  args.insert(args.end(), commandArgs.begin(), commandArgs.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string in = (work / "stdin").string(), out = (work / "stdout").string(),
                    err = (work / "stderr").string();
  const pid_t pid = ::fork();
  if (pid == 0) {
    for (const auto& [name, value] : env) {
      if (value.empty())
        ::unsetenv(name.c_str());
      else
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    if (!std::freopen(in.c_str(), "rb", stdin) || !std::freopen(out.c_str(), "wb", stdout) ||
        !std::freopen(err.c_str(), "wb", stderr))
      _exit(127);
    ::execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(work / "stdout"), readFile(work / "stderr")};
}

class CliCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "root");
    writeFile(dir / "Pelnor.INI", "");
    ASSERT_EQ(run({"demo"}).exit, 0);
  }
  // With this test's root and settings.
  Result run(std::vector<std::string> args, const std::string& stdinText = "") const {
    args.insert(args.end(), {"--root", (dir / "root").string(), "--ini", (dir / "Pelnor.INI").string()});
    return runBare(args, stdinText);
  }
  Result runBare(const std::vector<std::string>& args, const std::string& stdinText = "") const {
    return runProgram(PELNOR_CLI_PATH, args, dir.path(), stdinText);
  }

  TempDir dir;
};

struct CommandHelp {
  const char* command;
  std::vector<const char*> options;
};

const std::vector<CommandHelp> kCommands = {
    {"dump", {"FILE", "--kind", "--aggregate", "--out FILE=-", "standard output"}},
    {"restore", {"JSON", "FILE", "standard input"}},
    {"show", {"--device", "--month", "--months"}},
    {"import", {"FILE", "--yes", "--no", "--quiet", "standard input"}},
    {"receive", {"--port", "--yes", "--no", "--quiet"}},
    {"render", {"--device", "--date", "--kind", "day|month|year", "--view", "--size WxH=1600x1000", "--out", "standard output"}},
    {"print", {"--device", "--kind", "day|month|year", "--from", "--to", "--report", "--pdf", "standard output"}},
    {"export-csv", {"--device", "--date", "--kind", "day|month|year", "--with-days", "--out", "standard output"}},
    {"export-raw", {"--device", "--month", "--out", "standard output"}},
    {"copy", {"--device", "--to", "--yes", "--no"}},
    {"demo", {}},
};

TEST_F(CliCommandLineTest, EveryCommandHasHelpWithItsOptionsAndTheDataRootRule) {
  const Result all = runBare({"--help"});
  EXPECT_EQ(all.exit, 0);
  for (const CommandHelp& c : kCommands) {
    SCOPED_TRACE(c.command);
    EXPECT_NE(all.out.find(std::string("\n  ") + c.command + " "), std::string::npos) << all.out;
    const Result help = runBare({c.command, "--help"});
    EXPECT_EQ(help.exit, 0) << help.err;
    EXPECT_EQ(help.err, "");
    std::vector<const char*> expected = c.options;
    expected.insert(expected.end(), {"--root", "--ini", "~/.local/share/Pelnor", "never written"});
    for (const char* option : expected) EXPECT_NE(help.out.find(option), std::string::npos) << option << '\n' << help.out;
  }
}

TEST_F(CliCommandLineTest, VersionIsPrintedAsProgramAndNumber) {
  const Result version = runBare({"--version"});
  EXPECT_EQ(version.exit, 0);
  EXPECT_EQ(version.out, std::string("pelnor-cli ") + PELNOR_VERSION_TEXT + "\n");
}

TEST_F(CliCommandLineTest, WrongArgumentsAreNamedWithExitTwo) {
  const struct {
    std::vector<std::string> args;
    const char* named;
  } cases[] = {
      {{"frobnicate"}, "frobnicate"},
      {{"show", "--device", "100", "--month", "2024-04", "--bogus"}, "--bogus"},
      {{"show", "--device", "100"}, "--month"},
      {{"show", "--month", "2024-04", "--device"}, "--device"},
      {{"show", "--device=12x", "--month=2024-04"}, "--device"},
      {{"dump", "--kind", "disk", "x"}, "--kind"},
      {{"render", "--device", "100", "--date", "2024-04", "--view", "pie", "--out", "x.png"}, "--view"},
      {{"import", "x.txt", "--yes", "--no"}, "--no"},
      {{"restore", "only-one"}, "FILE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " ... " + c.named);
    const Result r = runBare(c.args);  // nothing after them: the last option may lack its value
    EXPECT_EQ(r.exit, 2) << r.err;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
  }
  EXPECT_EQ(runBare({}).exit, 2);
}

TEST_F(CliCommandLineTest, EqualsFormIsTheSameAsTheSpacedForm) {
  const std::string month = thisMonth();
  const Result spaced = run({"show", "--device", "100", "--month", month, "--months", "2"});
  const Result joined = runBare({"show", "--device=100", "--month=" + month, "--months=2",
                                 "--root=" + (dir / "root").string(), "--ini=" + (dir / "Pelnor.INI").string()});
  ASSERT_EQ(spaced.exit, 0) << spaced.err;
  EXPECT_EQ(joined.exit, 0) << joined.err;
  EXPECT_EQ(joined.out, spaced.out);
}

TEST_F(CliCommandLineTest, DashIsStandardOutputForEveryOutput) {
  const std::string month = thisMonth();
  const struct {
    std::vector<std::string> args;  // ending with the option that names the output
    std::string start;
  } cases[] = {
      {{"dump", (dir / "root" / "MCDATA.MST").string(), "--out"}, "{\n  \"kind\": \""},
      {{"export-csv", "--device", "100", "--date", month, "--out"}, "\x8C\x8E\x95\xCA"},
      {{"export-raw", "--device", "100", "--month", month, "--out"}, "00100\r\n"},
      {{"render", "--device", "100", "--date", month, "--view", "graph", "--size", "200x100", "--out"}, "\x89PNG"},
      {{"print", "--device", "100", "--kind", "day", "--from", month + "-01", "--to", month + "-01", "--pdf"},
       "%PDF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    std::vector<std::string> toStdout = c.args, toFile = c.args;
    toStdout.push_back("-");
    toFile.push_back((dir / "file").string());
    const Result r = run(toStdout);
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, c.start.size()), c.start);
    EXPECT_FALSE(fs::exists(fs::current_path() / "-"));
    if (c.args[0] == "render" || c.args[0] == "print") continue;  // a PDF holds its time of making
    ASSERT_EQ(run(toFile).exit, 0);
    EXPECT_EQ(r.out, readFile(dir / "file"));
  }
}

TEST_F(CliCommandLineTest, DashIsStandardInputForRestoreAndImport) {
  const Result dumped = run({"dump", (dir / "root" / "MCDATA.MST").string()});
  ASSERT_EQ(dumped.exit, 0);
  ASSERT_EQ(run({"restore", "-", (dir / "copy.mst").string()}, dumped.out).exit, 0);
  EXPECT_EQ(readFile(dir / "copy.mst"), readFile(dir / "root" / "MCDATA.MST"));

  const Result raw = run({"export-raw", "--device", "100", "--month", thisMonth(), "--out", "-"});
  ASSERT_EQ(raw.exit, 0);
  const Result imported = run({"import", "-", "--yes"}, raw.out);
  EXPECT_EQ(imported.exit, 0) << imported.err;
  // Without --yes or --no the question cannot be asked: standard input carries the data.
  const Result unanswered = run({"import", "-"}, raw.out);
  EXPECT_EQ(unanswered.exit, 2);
  EXPECT_NE(unanswered.err.find("--yes or --no"), std::string::npos) << unanswered.err;
}

TEST_F(CliCommandLineTest, QuestionWithoutTerminalNeedsYesOrNo) {
  const Result raw = run({"export-raw", "--device", "100", "--month", thisMonth(), "--out", "-"});
  writeFile(dir / "in.txt", raw.out);
  const Result atEnd = run({"import", (dir / "in.txt").string()});  // standard input is empty
  EXPECT_EQ(atEnd.exit, 2);
  EXPECT_NE(atEnd.err.find("--yes or --no"), std::string::npos) << atEnd.err;
  const Result answered = run({"import", (dir / "in.txt").string()}, "y\n");
  EXPECT_EQ(answered.exit, 0) << answered.err;
}

TEST_F(CliCommandLineTest, QuietImportPrintsOnlyTheResult) {
  const Result raw = run({"export-raw", "--device", "100", "--month", thisMonth(), "--out", "-"});
  writeFile(dir / "in.txt", raw.out);
  const Result loud = run({"import", (dir / "in.txt").string(), "--yes"});
  const Result quiet = run({"import", (dir / "in.txt").string(), "--yes", "--quiet"});
  ASSERT_EQ(loud.exit, 0);
  ASSERT_EQ(quiet.exit, 0) << quiet.err;
  EXPECT_GT(std::count(loud.out.begin(), loud.out.end(), '\n'), 10);
  EXPECT_EQ(quiet.out, "pelnor-cli import: the reception ended without problems\n");
}

// An installed pelnor-cli keeps its data in the user's folder; a command that only reads
// must not make that folder.
TEST_F(CliCommandLineTest, ReadingCommandsCreateNoDataRoot) {
  fs::create_directories(dir / "inst" / "bin");
  fs::create_directories(dir / "inst" / "share" / "applications");
  writeFile(dir / "inst" / "share" / "applications" / "pelnor.desktop", "");
  fs::copy_file(PELNOR_CLI_PATH, dir / "inst" / "bin" / "pelnor-cli");
  const fs::path xdg = dir / "xdg";
  const std::map<std::string, std::string> env{{"XDG_DATA_HOME", xdg.string()}};
  const fs::path program = dir / "inst" / "bin" / "pelnor-cli";
  const Result help = runProgram(program, {"show", "--help"}, dir.path(), "", env);
  EXPECT_NE(help.out.find((xdg / "Pelnor").string()), std::string::npos) << help.out;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"show", "--device", "100", "--month", "2024-04"},
        std::vector<std::string>{"export-csv", "--device", "100", "--date", "2024-04", "--out", "-"},
        std::vector<std::string>{"dump", (dir / "root" / "MCDATA.MST").string()}}) {
    SCOPED_TRACE(args[0]);
    runProgram(program, args, dir.path(), "", env);
    EXPECT_FALSE(fs::exists(xdg / "Pelnor"));
  }
}

}  // namespace
}  // namespace pelnor
