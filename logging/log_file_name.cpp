#include "logging/log_file_name.h"

namespace brevinor {

std::string logBaseName(std::string_view name, bool isUserLog, std::string_view login) {
  std::string base(name);
  if (isUserLog) {
    base += '_';
    base += login;
  }
  return base;
}

std::string logFilePath(std::string_view folder, std::string_view baseName, std::int64_t index) {
  std::string path(folder);
  path += '/';
  path += baseName;
  path += std::to_string(index);
  path += ".log";
  return path;
}

}  // namespace brevinor
