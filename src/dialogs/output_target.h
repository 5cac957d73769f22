// The checks the export dialogs share before they write: a file name, a folder, and the
// folder made (after asking) when it is missing.
#pragma once

#include <QString>
#include <filesystem>
#include <optional>

namespace pelnor {

class Reporter;

// The file's path, or nothing when the user has to correct the entries (told why).
std::optional<std::filesystem::path> outputTarget(const QString& folder, const QString& fileName,
                                                  Reporter& reporter);

// "テキストファイルへ正常に出力しました\n%s\%s".
void reportWritten(const std::filesystem::path& file, Reporter& reporter);

}  // namespace pelnor
