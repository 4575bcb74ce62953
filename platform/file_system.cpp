#include "platform/file_system.h"

#include <filesystem>
#include <system_error>

namespace brevinor {

bool fileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace brevinor
