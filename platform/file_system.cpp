#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace brevinor {

bool fileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

bool entryExists(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0;
}

std::optional<std::uint64_t> entrySize(const std::string& path) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

bool moveWithoutReplacing(const std::string& from, const std::string& to) {
  // std::filesystem::rename replaces the target, which must never happen here.
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  // linkat fails when the target exists and, without AT_SYMLINK_FOLLOW, links a link itself.
  if (linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) != 0) return false;
  return unlinkat(AT_FDCWD, from.c_str(), 0) == 0;
}

bool removeEntry(const std::string& path) {
  return unlinkat(AT_FDCWD, path.c_str(), 0) == 0;
}

}  // namespace brevinor
