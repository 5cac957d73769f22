// The files Pelnor keeps in a data root (months, the master, its settings and logs, lock
// files, save temporaries, copies of damaged files) are its own: only a plain file may
// stand at their paths. A symbolic link there (on Windows also a junction or mount point)
// may lead anywhere, and a program run by an administrator would read or replace what it
// names; a device or FIFO holds no data. So neither is ever opened as one of these files.
// Folders on the way (the root, DATA, a device's folder) are followed: a user may set them
// up as links on purpose.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pelnor {

enum class PathKind {
  Missing,  // nothing there (or nothing that can be looked at)
  Regular,
  Folder,
  Link,   // a symbolic link, dangling or not; on Windows also a junction or mount point
  Device  // a device, FIFO or socket
};

// What stands at path, a link there not followed. The platform's side.
PathKind pathKindAt(const std::filesystem::path& path);

// The message for a link or a device where a file of a data root should be: why, then the
// path. Empty for anything else.
std::optional<std::string> foreignFileProblem(const std::filesystem::path& path);
// The same for what was found there.
std::optional<std::string> foreignFileProblem(PathKind kind, const std::filesystem::path& path);

// What stands at path; throws CTryErr with foreignFileProblem's message for a link or a
// device.
PathKind refuseForeignFile(const std::filesystem::path& path);

// The whole plain file at path, never read through a link nor from a device; empty when
// there is none or it cannot be read. The platform's side.
std::optional<std::string> readOwnedFile(const std::filesystem::path& path);

enum class NewFile {
  Written,
  Taken,  // something is there already, a link too: nothing was opened
  Failed  // it could not be made or written; nothing is left
};
// Makes a new plain file at path holding bytes, only where nothing is: never through a
// link. The platform's side.
NewFile createNewFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace pelnor
