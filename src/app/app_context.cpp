#include "app/app_context.h"

namespace pelnor {

namespace {

constexpr int kAppLogDaysPerFile = 7;
constexpr int kAppLogFiles = 4;
constexpr int kAppLogOpenTimeoutMs = 10000;
constexpr int64_t kAppLogSizeLimit = 5242880;

}  // namespace

AppContext::AppContext(const std::filesystem::path& dir, const std::string& base)
    : programDir(dir), baseName(base), location(dir), storage{reporter, {}, {}, true} {
  settings.Open(programDir, baseName);
  appLog.Configure(pathText(programDir / pathFromText(baseName)), kAppLogDaysPerFile, kAppLogFiles,
                   kAppLogOpenTimeoutMs, kAppLogSizeLimit);
  storage.log = [this](const std::string& line) { appLog.WriteLine(line); };
}

void AppContext::applySettings() {
  storage.defaults = settings.deviceDefaults();
  registry.setDefaults(storage.defaults);
}

}  // namespace pelnor
