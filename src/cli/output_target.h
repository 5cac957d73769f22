// Where a command's output goes: a file, or standard output when it is named "-".
#pragma once

#include <string>

#include "data/storage_context.h"

namespace pelnor::cli {

bool isStandardStream(const std::string& name);

// Writes bytes to target as the exports are written (a file is replaced whole, a link is
// written through, a device or FIFO in place), or to standard output for "-". Says why
// it failed on stderr and returns false.
bool writeOutput(const std::string& target, const std::string& bytes, const StorageContext& context,
                 const char* command);

}  // namespace pelnor::cli
