// render and print paint with Qt. They live in a companion program, so that every other
// command starts without loading Qt; pelnor-cli hands them over by replacing itself with
// the companion, which thus writes to the same output and ends with its own exit code.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "cli/commands.h"
#include "cli/companion.h"
#include "data/path_text.h"
#include "data/system.h"

namespace pelnor::cli {

int runInCompanion(const std::string& command, const Args& args) {
  const std::filesystem::path folder = executableFolder();
  // Beside pelnor-cli in a build folder; in libexec/pelnor once installed.
  const std::filesystem::path places[] = {
      folder / kCompanionName, (folder / PELNOR_COMPANION_FROM_BIN / kCompanionName).lexically_normal()};
  // The companion reads the settings and data root of this program's folder, not its own.
  setEnvironmentText(kCliFolderVariable, pathText(folder));
  for (const std::filesystem::path& place : places) {
    std::vector<std::string> words{pathText(place), command};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    ::execv(argv[0], argv.data());
    if (errno != ENOENT && errno != ENOTDIR) {
      std::fprintf(stderr, "pelnor-cli %s: cannot start %s: %s\n", command.c_str(), argv[0],
                   std::strerror(errno));
      return 1;
    }
  }
  std::fprintf(stderr,
               "pelnor-cli %s: the program that paints, %s, is not installed (looked for %s and %s)\n",
               command.c_str(), kCompanionName, pathText(places[0]).c_str(), pathText(places[1]).c_str());
  return 1;
}

}  // namespace pelnor::cli
