#include "data/error_reasons.h"

#include <cerrno>

namespace pelnor {

std::string errnoReason(int error) {
  switch (error) {
    case ENOSPC:
      return "ディスクの空き容量が足りません";
    case EACCES:
    case EPERM:
      return "アクセスする権限がありません";
    case EROFS:
      return "書き込みできない（読み取り専用の）場所です";
    case ENOENT:
      return "ファイルまたはフォルダが見つかりません";
    case EBUSY:
      return "他のプログラムが使用中です";
    case ENODEV:
    case ENXIO:
      return "装置が見つかりません（接続を確かめてください）";
    default:
      return {};
  }
}

std::string withReason(const std::string& systemText, const std::string& reason) {
  return reason.empty() ? systemText : reason + "（" + systemText + "）";
}

std::string errorCodeReason(const std::error_code& error) {
  if (error.category() == std::generic_category()) return errnoReason(error.value());
  if (error.category() == std::system_category())
    return systemErrorReason(static_cast<uint32_t>(error.value()));
  return {};
}

std::string errorCodeText(const std::error_code& error) {
  return withReason(error.message(), errorCodeReason(error));
}

}  // namespace pelnor
