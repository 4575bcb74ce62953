#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevinor {

/// The base name of a log's files: the given name, and for a per-user log "_" and the login.
std::string logBaseName(std::string_view name, bool isUserLog, std::string_view login);

/// The path of the log file with the given index: the folder, "/", the base name, the index in
/// decimal without leading zeros, ".log". Index 0 is the current file.
std::string logFilePath(std::string_view folder, std::string_view baseName, std::int64_t index);

}  // namespace brevinor
