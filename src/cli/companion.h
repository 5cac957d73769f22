// The companion program that runs render and print for pelnor-cli.
#pragma once

namespace pelnor::cli {

inline constexpr const char* kCompanionName = "pelnor-render";

// pelnor-cli puts its own folder here for the companion: both then read the same settings
// file and data root, wherever the companion is installed.
inline constexpr const char* kCliFolderVariable = "PELNOR_CLI_FOLDER";

}  // namespace pelnor::cli
