#include "cli/cli_environment.h"

#include <algorithm>

#include "data/own_root.h"
#include "data/system.h"

namespace pelnor::cli {

std::filesystem::path programFolder() { return ownDataRoot(executableFolder()); }

std::optional<std::string> takeOption(Args& args, const std::string& name) {
  auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end() || it + 1 == args.end()) return std::nullopt;
  std::string value = *(it + 1);
  args.erase(it, it + 2);
  return value;
}

bool takeFlag(Args& args, const std::string& name) {
  auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

namespace {

CAppSettings loadSettings(const std::optional<std::string>& iniPath) {
  CAppSettings settings;
  if (iniPath) {
    settings.ini.OpenFile(*iniPath);
  } else {
    settings.Open(programFolder(), "Pelnor");
  }
  settings.ini.setReadOnly(true);
  DataLocation ignored(settings.ini.ProgramDir());
  settings.Load(readInstallationId(), ignored);
  return settings;
}

}  // namespace

CliEnvironment::CliEnvironment(Args& args, std::optional<bool> answer)
    : settings(loadSettings(takeOption(args, "--ini"))),
      location(takeOption(args, "--root").value_or(programFolder().string())),
      reporter(answer),
      storage{reporter, settings.deviceDefaults(), OpenRetry{}, true} {}

}  // namespace pelnor::cli
