// Telling a link from the file it names on Windows (Windows files only): a reparse point
// that stands for another name (a symbolic link, a junction, a mount point) is a link;
// other reparse points (a cloud file's placeholder, a deduplicated or compressed file) are
// the file itself, reached through a filter.
#pragma once

#include <windows.h>

namespace pelnor {

inline bool isLinkReparseTag(DWORD attributes, DWORD tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(tag);
}

// Whether a handle opened with FILE_FLAG_OPEN_REPARSE_POINT is such a link itself. A
// handle that cannot be asked counts as no link: the path was looked at before it was opened.
inline bool isLinkHandle(HANDLE handle) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  return ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info) &&
         isLinkReparseTag(info.FileAttributes, info.ReparseTag);
}

}  // namespace pelnor
