#include "dialogs/output_target.h"

#include "data/data_location.h"
#include "data/reporter.h"
#include "data/text.h"

namespace pelnor {

std::optional<std::filesystem::path> outputTarget(const QString& folderText, const QString& fileText,
                                                  Reporter& reporter) {
  const std::string file = fileText.trimmed().toStdString();
  const std::string folder = folderText.trimmed().toStdString();
  auto refuse = [&](const char* text) {
    reporter.beep();
    reporter.error(text);
    return std::nullopt;
  };
  if (file.empty()) return refuse("出力ファイル名を指定してください");
  if (folder.empty()) return refuse("出力先を指定してください");
  const std::filesystem::path folderPath = pathFromText(folder);
  std::error_code ec;
  if (!std::filesystem::is_directory(folderPath, ec)) {
    reporter.beep();
    if (!reporter.askYesNo(
            formatText("指定のフォルダは存在していません\n作成しますか？\n%s", folder.c_str()))) {
      return std::nullopt;
    }
    if (auto problem = DataLocation::folderCreationProblem(folderPath)) {
      reporter.beep();
      reporter.error(*problem);
      return std::nullopt;
    }
  }
  return folderPath / pathFromText(file);
}

void reportWritten(const std::filesystem::path& file, Reporter& reporter) {
  reporter.beep();
  reporter.plain(formatText("テキストファイルへ正常に出力しました\n%s", pathText(file).c_str()));
}

}  // namespace pelnor
