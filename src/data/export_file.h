// Writing a finished export (a CSV or raw text, a rendered picture, a PDF) by one rule:
// a file is replaced whole, a link is written through, a device or FIFO is written in place.
#pragma once

#include <filesystem>
#include <string>

#include "data/storage_context.h"

namespace pelnor {

// Waits while another program holds the file, then saves bytes at path. Throws CTryErr
// ("OpenError" and the path) when it cannot be opened or replaced, FileError when
// writing fails.
void saveExportFile(const std::filesystem::path& path, const std::string& bytes,
                    const StorageContext& context);

}  // namespace pelnor
