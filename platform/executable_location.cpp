#include "platform/executable_location.h"

#include <system_error>

namespace brevinor {

PackageLayout packageLayoutAround(const std::filesystem::path& executable) {
  const std::filesystem::path prefix = (executable.parent_path() / "..").lexically_normal();
  return {prefix / "share" / "brevinor", prefix / "lib" / "brevinor" / "brevinor-window.so"};
}

PackageLayout packageLayoutOfThisProgram() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return packageLayoutAround(executable);
}

}  // namespace brevinor
