#include "comm/program_state.h"

namespace pelnor {

namespace {

constexpr int kAppLogDaysPerFile = 7;
constexpr int kAppLogFiles = 4;
constexpr int kAppLogOpenTimeoutMs = 10000;
constexpr int64_t kAppLogSizeLimit = 5242880;

}  // namespace

void openApplicationLog(RotatingLog& log, const std::filesystem::path& programDir, const std::string& baseName) {
  log.Configure(pathText(programDir / pathFromText(baseName)), kAppLogDaysPerFile, kAppLogFiles,
                kAppLogOpenTimeoutMs, kAppLogSizeLimit);
}

ProgramState::ProgramState(const std::filesystem::path& dir, const std::string& base, Reporter& r)
    : programDir(dir), baseName(base), reporter(r), location(dir), storage{r, {}, {}, true} {
  settings.Open(programDir, baseName);
  openApplicationLog(appLog, programDir, baseName);
  storage.log = [this](const std::string& line) { appLog.WriteLine(line); };
}

void ProgramState::applySettings() {
  storage.defaults = settings.deviceDefaults();
  registry.setDefaults(storage.defaults);
}

}  // namespace pelnor
