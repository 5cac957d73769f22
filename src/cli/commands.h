// The subcommands of pelnor-cli. Each takes its parsed options and returns the process
// exit code.
#pragma once

#include <string>
#include <vector>

namespace pelnor::cli {

using Args = std::vector<std::string>;

struct CommonOptions;
struct DumpOptions;
struct RestoreOptions;
struct ShowOptions;
struct CollectOptions;
struct ExportCsvOptions;
struct ExportRawOptions;
struct CopyOptions;
struct RenderOptions;
struct PrintOptions;

int runDump(const DumpOptions& options);
int runRestore(const RestoreOptions& options);
int runShow(const ShowOptions& options);
int runImport(const CollectOptions& options);
int runReceive(const CollectOptions& options);
int runDemo(const CommonOptions& options);
int runExportCsv(const ExportCsvOptions& options);
int runExportRaw(const ExportRawOptions& options);
int runCopy(const CopyOptions& options);

// render and print, which paint: pelnor-cli runs them in its companion program, which
// holds these two.
int runInCompanion(const std::string& command, const Args& args);
int runRender(const RenderOptions& options);
int runPrint(const PrintOptions& options);

// Exit code for wrong usage.
constexpr int kUsageError = 2;

}  // namespace pelnor::cli
