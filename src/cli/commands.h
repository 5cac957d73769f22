// The subcommands of pelnor-cli. Each takes the arguments after its name and returns
// the process exit code.
#pragma once

#include <string>
#include <vector>

namespace pelnor::cli {

using Args = std::vector<std::string>;

int runDump(const Args& args);
int runRestore(const Args& args);
int runShow(const Args& args);
int runImport(const Args& args);
int runReceive(const Args& args);
int runDemo(const Args& args);
int runExportCsv(const Args& args);
int runExportRaw(const Args& args);
int runCopy(const Args& args);

// render and print, which paint: pelnor-cli runs them in its companion program, which
// holds these two.
int runInCompanion(const std::string& command, const Args& args);
int runRender(const Args& args);
int runPrint(const Args& args);

// Exit code for wrong usage.
constexpr int kUsageError = 2;

}  // namespace pelnor::cli
