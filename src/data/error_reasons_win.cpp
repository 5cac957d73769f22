#include <windows.h>

#include "data/error_reasons.h"

namespace pelnor {

std::string systemErrorReason(uint32_t code) {
  switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "ディスクの空き容量が足りません";
    case ERROR_ACCESS_DENIED:
      // A serial port another program holds is refused this way too.
      return "他のプログラムが使用中か、アクセスする権限がありません";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
      return "他のプログラムが使用中です";
    case ERROR_WRITE_PROTECT:
      return "書き込みできない（読み取り専用の）場所です";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "ファイルまたはフォルダが見つかりません";
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
      return "装置が見つかりません（接続を確かめてください）";
    default:
      return {};
  }
}

}  // namespace pelnor
