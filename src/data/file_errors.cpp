#include "data/file_errors.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

#include "data/error_reasons.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr std::size_t kDescriptionMaxBytes = 100;

}  // namespace

std::string describeCurrentException(const char* module, int line) {
  const char* kind = "例外発生";
  std::string description;
  std::string path;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    kind = "メモリ不足";
  } catch (const FileError& e) {
    kind = "ﾌｧｲﾙｱｸｾｽ異常";
    description = e.what();
    path = e.path();
  } catch (const ArchiveError& e) {
    kind = "ｱｰｶｲﾌﾞ異常";
    description = e.what();
  } catch (const std::system_error& e) {
    description = withReason(e.what(), errorCodeReason(e.code()));
  } catch (const std::exception& e) {
    description = e.what();
  } catch (...) {
  }
  description = cp932ToUtf8(cutCp932(utf8ToCp932(description), kDescriptionMaxBytes));
  if (!path.empty()) description += "\n" + path;
  return formatText("%s\n%s\n%s(%d)", kind, description.c_str(), module, line);
}

void reportCurrentException(Reporter& reporter, const char* module, int line) {
  try {
    throw;
  } catch (const CTryErr& e) {
    reporter.info(e.text());
  } catch (...) {
    reporter.plain(describeCurrentException(module, line));
  }
}

}  // namespace pelnor
