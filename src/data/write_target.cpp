#include "data/write_target.h"

#include <system_error>

namespace pelnor {

namespace fs = std::filesystem;

namespace {

// As many links as the system follows itself.
constexpr int kMaxLinks = 40;

bool isSpecial(fs::file_type type) {
  return type != fs::file_type::none && type != fs::file_type::not_found && type != fs::file_type::regular &&
         type != fs::file_type::directory && type != fs::file_type::symlink;
}

}  // namespace

WriteTarget resolveWriteTarget(const fs::path& path) {
  std::error_code ec;
  // Asked through the path itself: /dev/stdout names a pipe or terminal through a link that
  // reading the link would not give back.
  if (isSpecial(fs::status(path, ec).type())) return {path, true};
  fs::path file = path;
  for (int hops = 0; fs::is_symlink(fs::symlink_status(file, ec)); ++hops) {
    if (hops == kMaxLinks) return {path, false};
    const fs::path named = fs::read_symlink(file, ec);
    if (ec) return {path, false};
    file = named.is_absolute() ? named : file.parent_path() / named;
  }
  return {file, false};
}

}  // namespace pelnor
